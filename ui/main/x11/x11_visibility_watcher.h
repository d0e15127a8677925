#pragma once

#include "ui/main/visibility_watcher.h"

// The X server's word on the window: unmapped (iconified, another workspace), fully
// obscured, or the screen saver on. Null when not on X11.
std::unique_ptr<VisibilityWatcher> createX11VisibilityWatcher(QWidget& window);
