#pragma once

#include <QMargins>

class QWidget;

// The frame around a window's inside, in the window's own (logical) pixels, as the
// window system has it once the native window exists; zero before. On Windows it is
// measured from the window's outer and inner rectangles: Qt's own figure is worked out
// from the window's styles and can differ from what Windows draws.
QMargins windowSystemFrame(QWidget& window);
