#pragma once

#include <QImage>
#include <QString>

struct LoadedPicture {
    QImage image;   // Format_RGB32, or Format_Indexed8 as keptSheet decides; null on failure
    QString error;  // why it failed, for the message naming the file
    bool ok() const { return !image.isNull(); }
};

// Largest picture we decode. A real sheet is at most 2000 x 400; this only stops a
// header that claims an absurd size from making us allocate without bound.
constexpr int kMaxPictureSide = 8192;

// Reads BMP, PNG, GIF or JPEG whatever the file is called (".pat", ".acc").
// Transparent pixels become white, the sheets' transparent colour.
LoadedPicture loadPicture(const QString& path);

// The picture at 8 bits a pixel when that loses nothing (at most 256 colours, as in
// every 8-bit file): Format_Indexed8 with a full table of 256 opaque colours, white
// first and black second where it has them. Else Format_RGB32.
QImage compactSheet(const QImage& picture);

// Sheets this large are kept at 8 bits where that loses nothing: only accessory sheets
// (400,000 pixels) are, 1.2 MB saved per sheet. Ticks draw from a sheet's pre-masked form
// (sprite_sheet.h), built from it once, so the 8 bits cost the frame nothing.
constexpr qint64 kEightBitSheetPixels = 256 * 1024;
QImage keptSheet(const QImage& picture);
