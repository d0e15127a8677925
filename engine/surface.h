#pragma once

#include <QImage>

// Off-screen pictures are QImage in Format_RGB32; transfers touch the 24 colour bits
// and leave the unused top byte at 0xFF. Sheets, only ever read, may also be
// Format_Indexed8, read through their colour table.
enum class RasterOp {
    SrcCopy,    // dst := src
    SrcErase,   // dst := src AND NOT dst
    SrcInvert,  // dst := src XOR dst
};

QImage makeSurface(int width, int height, QRgb fill = qRgb(255, 255, 255));

// Transfers the w x h block at (sx, sy) of src to (dx, dy) of dst. Pixels outside
// either picture are left alone: the block is clipped against both.
void bitBlt(QImage& dst, int dx, int dy, int w, int h, const QImage& src, int sx, int sy, RasterOp op);

// The two-step masked transfer in one pass: SRCERASE from (sx, maskY), then SRCINVERT
// from (sx, 0). Gives exactly the pixels of the two separate transfers, clipped the same
// way. With `clip`, only the part of the block inside it is drawn: a place of the frame
// can be redrawn alone.
void maskedBlt(QImage& dst, int dx, int dy, int w, int h, const QImage& sheet, int sx, int maskY);
void maskedBlt(QImage& dst, int dx, int dy, int w, int h, const QImage& sheet, int sx, int maskY, const QRect& clip);
