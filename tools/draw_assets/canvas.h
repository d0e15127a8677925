#pragma once

#include <QImage>

// The pictures are painted at `scale` times their final size and box-filtered down,
// so their edges come out smooth in colour while a sheet's mask still cuts them hard.

// A w x h canvas for painting at `scale` times the final size, fully transparent.
QImage makeCanvas(int width, int height, int scale);

// Box-filters a canvas back to its final size. Colours are averaged premultiplied,
// so the result carries the true coverage of every pixel in its alpha.
QImage reduceCanvas(const QImage& canvas, int scale);
