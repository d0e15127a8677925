#pragma once

#include <QRect>

class QScreen;
class QWidget;

// Qt's own factor (QT_SCALE_FACTOR and the like) on this screen: the screen's device pixel
// ratio over the window system's, which on Wayland is the output's whole-number scale.
double qtScaleFactor(const QScreen* screen);

// The smallest number of logical pixels, counted from the window's origin, that lands on
// a whole device pixel at this screen's factor; 1 at whole-number factors, 0 where that
// would take more than `most` (1.33 needs 100).
int wholePixelStep(const QScreen* screen, int most = 20);

// The smallest area on that grid that holds `r`; `origin` is where `r`'s coordinates
// start, in the window's.
QRect alignedOutward(const QRect& r, int step, QPoint origin = {});

// At a fractional factor Qt turns a widget's area into device pixels by rounding its
// place and its size each on their own, and paints it from its unrounded place: where
// round(place) + round(size) misses round(place + size) the widget's last column or row
// (its border) falls outside what it may paint, and a framed control's inside paints over
// its border. Moves each edge of every control of a window placed absolutely (and of
// the controls inside its group boxes) by at most two logical pixels, its size by at most
// one, so that both agree. Always works from the places the window laid out, so it can
// run again after the window changes screens.
void placeControlsOnWholePixels(QWidget& window);
// The same at a given factor of Qt's own.
void placeControlsOnWholePixels(QWidget& window, double factor);
