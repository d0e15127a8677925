#pragma once

#include "ui/main/visibility_watcher.h"

// A tank on a surface of its own that the compositor no longer draws (minimized, on another
// workspace, covered where the compositor says so) is unseen. Null when not on Wayland or
// when the tank has no surface of its own.
std::unique_ptr<VisibilityWatcher> createWaylandVisibilityWatcher(QWidget& tank);
