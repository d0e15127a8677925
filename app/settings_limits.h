#pragma once

#include "app/tank_settings.h"

// A SET edited by hand or damaged may hold any numbers. This brings the counts and
// indices that select array entries or pattern slots into range; values already in
// range are left exactly as they are.
void bringIntoRange(TankSettings& settings);

// Start-up defaults for a record that was never saved.
void applyFirstRunDefaults(TankSettings& settings);

// Both of the above, in the order start-up needs.
void prepareLoadedSettings(TankSettings& settings);
