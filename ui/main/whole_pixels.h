#pragma once

#include <QPoint>
#include <QRect>

class QScreen;
class QWidget;

// At a fractional scale factor Qt rounds a repainted area to the window system's pixels in
// one place (what it clears and what it tells the compositor) and to device pixels in
// another (what a widget paints), and the two disagree by a pixel at the area's edges:
// the screen keeps stale or cleared lines there, and a widget's one-pixel border may fall
// between them. Areas whose edges lie on multiples of this many logical pixels, counted
// from the window's origin, land on whole pixels of both. 1 at whole-number factors.
int wholePixelStep(const QScreen* screen);

// The smallest area on that grid that holds `r`; `origin` is where `r`'s coordinates
// start, in the window's.
QRect alignedOutward(const QRect& r, int step, QPoint origin = {});

// Moves every control of a window whose controls are placed absolutely (and the controls
// inside its group boxes) so that its edges lie on whole pixels, each edge to the nearest.
void placeControlsOnWholePixels(QWidget& window);
