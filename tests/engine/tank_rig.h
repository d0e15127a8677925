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

// A sheet in which every pixel tells: each cell a blob of many colours, a few image
// pixels outside the mask (they XOR into what lies beneath), grey and coloured mask
// pixels, and holes. Any slip in place, order or clipping shows in the frame. With
// `palette` n > 0 the sheet uses at most n + 3 colours, else any.
inline QImage busySheet(int cells, int w, int h, std::uint32_t seed, int palette)
{
    auto hash = [seed](std::uint32_t a, std::uint32_t b) {
        std::uint32_t v = seed * 0x9E3779B1u ^ a * 0x85EBCA77u ^ b * 0xC2B2AE3Du;
        v ^= v >> 15;
        v *= 0x2C1B3C6Du;
        return v ^ (v >> 13);
    };
    auto colour = [palette](std::uint32_t v) -> QRgb {
        if (palette <= 0)
            return 0xFF000000 | v;
        const int k = int(v % std::uint32_t(palette));
        return qRgb((k * 37 + 11) & 255, (k * 91 + 5) & 255, (k * 53 + 99) & 255);
    };
    QImage sheet = makeSurface(cells * w, 2 * h);
    for (int y = 0; y < h; ++y) {
        auto* image = reinterpret_cast<QRgb*>(sheet.scanLine(y));
        auto* mask = reinterpret_cast<QRgb*>(sheet.scanLine(h + y));
        for (int x = 0; x < cells * w; ++x) {
            const int c = x / w, cx = x % w;
            const double ex = (cx - w * (0.45 + 0.01 * c)) / (0.4 * w), ey = (y - h * 0.5) / (0.35 * h);
            const bool inside = ex * ex + ey * ey < 1.0;
            const std::uint32_t v = hash(std::uint32_t(x), std::uint32_t(y));
            if (inside) {
                image[x] = colour(v);
                mask[x] = v % 31 == 0 ? qRgb(128, 128, 128) : v % 43 == 0 ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
            } else {
                image[x] = v % 29 == 0 ? colour(v >> 8) : qRgb(255, 255, 255);
                mask[x] = v % 37 == 0 ? colour(v >> 4) : qRgb(255, 255, 255);
            }
        }
    }
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
};

}  // namespace rig
