#pragma once

#include <QString>

#include <array>
#include <cstdint>

// The one persistent record. Member order is the order of the bytes in "SET".
struct FishKindEntry {
    std::int16_t count = 0;
    QString name;
    QString patternPath;
};

struct FishState {
    std::int16_t x = 0;
    std::int16_t y = 0;
    std::int16_t swimMode = 0;
    std::int16_t frameX = 0;
    std::int16_t spareValue = 0;
    QString spareText;
    std::int16_t riseFlag = 0;
};

struct AccessorySlot {
    QString name;
    QString picturePath;
    std::int16_t x = 0;
    std::int16_t y = 0;
    std::int16_t frameX = 0;
    std::int16_t maskY = 0;
    std::int16_t frameWidth = 0;
    std::int16_t frameHeight = 0;
    std::int16_t position = 0;
};

constexpr int kKindEntries = 5;      // stored entries; only kMaxKinds are ever in use
constexpr int kMaxKinds = 4;         // pattern slots pat[0..3]
constexpr int kMaxFish = 5;
constexpr int kMaxAccessories = 4;

struct TankSettings {
    std::int16_t fishTotal = 0;
    std::int16_t lastKind = 0;
    std::array<FishKindEntry, kKindEntries> kinds{};
    std::array<FishState, kMaxFish> fish{};
    std::array<std::int16_t, kMaxFish> fishKindOf{};
    std::array<AccessorySlot, kMaxAccessories> accessories{};
    std::int16_t accessoryCount = 0;
    std::int16_t reserved = 0;

    bool operator==(const TankSettings&) const = default;
};

inline bool operator==(const FishKindEntry& a, const FishKindEntry& b)
{
    return a.count == b.count && a.name == b.name && a.patternPath == b.patternPath;
}
inline bool operator==(const FishState& a, const FishState& b)
{
    return a.x == b.x && a.y == b.y && a.swimMode == b.swimMode && a.frameX == b.frameX
        && a.spareValue == b.spareValue && a.spareText == b.spareText && a.riseFlag == b.riseFlag;
}
inline bool operator==(const AccessorySlot& a, const AccessorySlot& b)
{
    return a.name == b.name && a.picturePath == b.picturePath && a.x == b.x && a.y == b.y
        && a.frameX == b.frameX && a.maskY == b.maskY && a.frameWidth == b.frameWidth
        && a.frameHeight == b.frameHeight && a.position == b.position;
}
