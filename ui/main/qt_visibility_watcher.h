#pragma once

#include "ui/main/visibility_watcher.h"

// Follows what Qt itself is told: a minimized window, or one not exposed, is unseen. What
// Windows says of a window reaches the program this way.
std::unique_ptr<VisibilityWatcher> createQtVisibilityWatcher(QWidget& window);
