#pragma once

#include "engine/surface.h"
#include "engine/tank_engine.h"
#include "scripted_random.h"

#include <vector>

namespace rig {

// Flat colours, so a pixel tells which picture lies on top.
constexpr QRgb kWater = 0xCCFFCC;
constexpr QRgb kGoldfish = 0xFF8000;
constexpr QRgb kBlueFish = 0x0000FF;
constexpr QRgb kFood = 0x00FF00;
constexpr QRgb kBubbleBlue = 0x2040FF;
constexpr QRgb kBubbleGreen = 0x20C020;

// A sheet of opaque cells, each filled with its colour, over an all-black mask row.
inline QImage solidSheet(int cells, int w, int h, const std::vector<QRgb>& colours)
{
    QImage sheet = makeSurface(cells * w, 2 * h, qRgb(0, 0, 0));
    for (int c = 0; c < cells; ++c)
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                sheet.setPixel(c * w + x, y, 0xFF000000 | colours[std::size_t(c) % colours.size()]);
    return sheet;
}

// An engine over plain pictures and a scripted random source; fish start mid-tank in mode 99
// (a mode that never moves) so each test sets up only the fish it is about.
struct TankRig {
    TankSettings settings;
    Scene scene;
    EngineState state;
    ScriptedRandom random;
    TankEngine engine{settings, scene, state, random};

    explicit TankRig(int fishTotal = 1)
    {
        scene.suisou = makeSurface(kTankWidth, kTankHeight, 0xFF000000 | kWater);
        scene.prepareTankSurfaces();
        scene.pat[0] = solidSheet(12, 75, 75, {kGoldfish});
        scene.pat[1] = solidSheet(12, 75, 75, {kBlueFish});
        scene.esaPat = solidSheet(1, 50, 50, {kFood});
        scene.awa = solidSheet(2, 30, 30, {kBubbleBlue, kBubbleGreen});
        settings.fishTotal = static_cast<std::int16_t>(fishTotal);
        for (auto& f : settings.fish)
            f = {200, 100, 99, 375, 0, {}, 0};
    }

    FishState& fish(int i) { return settings.fish[std::size_t(i)]; }
    Bubble& bubble(int i) { return state.bubbles[std::size_t(i)]; }
    QRgb shown(int x, int y) const { return scene.suisou.pixel(x, y) & 0xFFFFFF; }
    QRgb composed(int x, int y) const { return scene.work.pixel(x, y) & 0xFFFFFF; }
};

}  // namespace rig
