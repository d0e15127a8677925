#include "app/settings_limits.h"

#include <algorithm>

namespace {
std::int16_t clampTo(std::int16_t v, int lo, int hi)
{
    return static_cast<std::int16_t>(std::clamp<int>(v, lo, hi));
}
}  // namespace

void bringIntoRange(TankSettings& s)
{
    s.fishTotal = clampTo(s.fishTotal, 0, kMaxFish);
    s.lastKind = clampTo(s.lastKind, 0, kMaxKinds - 1);
    s.accessoryCount = clampTo(s.accessoryCount, 0, kMaxAccessories);
    // Only the entries of fish in use: the others keep what they last held, as the
    // settings dialog leaves them, so a record read and written comes back unchanged.
    for (int i = 0; i < s.fishTotal; ++i) {
        auto& k = s.fishKindOf[std::size_t(i)];
        if (k < 0 || k > s.lastKind)
            k = 0;
    }
    // The settings dialog hands out one fish per counted kind entry, so the counts of
    // the added kinds must never add up to more fish than there are slots. The built-in
    // kind is bounded on its own: the first-run default raises it over whatever the
    // others hold, and the dialog and the apply stop at five slots in any case.
    s.kinds[0].count = clampTo(s.kinds[0].count, 0, kMaxFish);
    int budget = kMaxFish;
    for (int i = 1; i <= s.lastKind; ++i) {
        auto& count = s.kinds[std::size_t(i)].count;
        count = clampTo(count, 0, budget);
        budget -= count;
    }
}

void applyFirstRunDefaults(TankSettings& s)
{
    if (s.fishTotal == 0) {
        s.fishTotal = 1;
        s.kinds[0].count = 1;
    }
}

void prepareLoadedSettings(TankSettings& s)
{
    bringIntoRange(s);
    applyFirstRunDefaults(s);
    bringIntoRange(s);  // the default's fish needs a kind that exists
}
