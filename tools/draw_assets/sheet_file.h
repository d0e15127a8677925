#pragma once

#include <QImage>
#include <QString>

// The sprite sheets' transparent colour, and the nearest colour a sprite may use
// instead: a sprite pixel that came out pure white would be a hole in the fish.
constexpr QRgb kSheetWhite = 0xFFFFFFFF;
constexpr QRgb kSpriteOffWhite = 0xFFFAFAF6;

// A w x h canvas for painting at `scale` times the final size, fully transparent.
QImage makeCanvas(int width, int height, int scale);

// Box-filters a canvas back to its final size. Colours are averaged premultiplied,
// so the result carries the true coverage of every pixel in its alpha.
QImage reduceCanvas(const QImage& canvas, int scale);

// Cuts a reduced canvas into a sheet cell: a pixel at least half covered belongs to
// the sprite and keeps its own colour (never pure white) over a black mask pixel;
// every other pixel is white in both. This keeps antialiasing inside the sprite and
// out of the transparent white around it.
void stampCell(QImage& sheet, const QImage& sprite, int cellX, int cellY, int maskY);

// Copies the width x height column at srcX (image and mask rows alike) to dstX,
// mirrored left to right.
void mirrorColumn(QImage& sheet, int srcX, int dstX, int width);

// Brings a picture to at most 256 colours: unchanged when it has that few already,
// otherwise by median cut over every colour except pure white and pure black, which
// are kept exactly so the mask convention survives.
QImage limitTo256Colours(const QImage& picture);

// Writes an uncompressed BMP: 8-bit with a palette when the picture has at most 256
// colours, else 24-bit. Byte for byte the same for the same picture.
bool writeBmp(const QImage& picture, const QString& path);
