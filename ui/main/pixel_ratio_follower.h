#pragma once

#include <functional>

class QWidget;

// A window's device pixel ratio changes when it moves to a monitor of another scale. Qt 6.4
// on X11 keeps such a window's size in device pixels, so a fixed-size window would come out
// half or twice its size. Once the window has settled on its new screen, `changed` redoes
// whatever depends on the ratio, and the window then takes its fixed logical size at the
// new ratio. Call once the window has its native window (after winId() or show()).
void followPixelRatio(QWidget& window, std::function<void()> changed);
