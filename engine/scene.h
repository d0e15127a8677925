#pragma once

#include "app/tank_settings.h"
#include "engine/random_source.h"

#include <QImage>
#include <QString>

#include <array>
#include <vector>

constexpr int kTankWidth = 500;
constexpr int kTankHeight = 300;
constexpr int kFishSize = 75;

// Every picture the tank is drawn from and onto. Owned by the main window.
struct Scene {
    // What the window shows. The engine composes each frame straight into it and keeps
    // it between ticks. The view may rebind it to other memory (the engine then composes
    // the whole tank next tick) but must not hold a second QImage of it: the engine's
    // next write would detach into a copy. Read it through constBits(); a write through
    // bits() counts as a change, and the next tick composes the whole tank.
    QImage suisou;
    QImage back;  // the clean background
    std::array<QImage, kMaxKinds> pat;
    QImage esaPat;
    QImage awa;
    std::array<QImage, kMaxAccessories> access;

    // The built-in pictures in their surfaces; back still unsized.
    static Scene withBuiltInPictures();

    // Sizes suisou and back to the tank and keeps the clean background in back.
    void prepareTankSurfaces();
};

struct PictureFailure {
    QString path;
    QString reason;
};

// Loads the pattern sheets of kinds 1..lastKind and gives every fish in use its start
// pose and height. A kind whose picture cannot be loaded is drawn with the built-in
// pattern, so its fish stay visible; the record keeps the path.
std::vector<PictureFailure> InitFish(TankSettings& settings, Scene& scene, RandomSource& random,
                                     int innerHeight = kTankHeight);

// Loads the accessory sheets of accessories 0..accessoryCount-1.
std::vector<PictureFailure> LoadAccessories(const TankSettings& settings, Scene& scene);

// Where an accessory stands and how its sheet is cut, from the chosen position and the
// width of its loaded sheet. A position outside 0..3 keeps the previous x and position.
void placeAccessory(AccessorySlot& slot, const QImage& sheet, int position);
