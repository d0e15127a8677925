#pragma once

#include "app/tank_settings.h"

#include <QString>

#include <array>
#include <cstdint>

// An accessory as the settings dialog edits it; the placement is computed only on apply.
struct AccessoryChoice {
    QString name;
    QString picturePath;
    std::int16_t position = 0;

    bool operator==(const AccessoryChoice&) const = default;
};

// What the settings dialog and the file chooser edit between opening the dialog and
// applying it. One per main window, kept for the whole run; each opening of the dialog
// overwrites the configuration part from the record.
struct SettingsWorkingCopy {
    std::array<FishKindEntry, kKindEntries> workKinds{};
    std::int16_t workLastKind = 0;
    std::int16_t workFishTotal = 0;
    std::array<AccessoryChoice, kMaxAccessories> workAccessories{};
    std::int16_t workAccessoryCount = 0;
    std::int16_t selectedKind = 0;
    std::int16_t selectedAccessory = 0;
    std::int16_t countGuard = 0;
    // 0: the chooser adds a goldfish kind ("*.pat"); 1: an accessory ("*.acc").
    std::int16_t chooserMode = 0;
};
