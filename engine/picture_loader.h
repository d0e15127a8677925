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

// Sheets this large are kept at 8 bits where that loses nothing. Only accessory sheets
// (400,000 pixels) are: a tick draws a twentieth of each, from memory the caches lost,
// and reads a quarter of the bytes; 1.2 MB saved per sheet at no cost to the frame. A
// pattern sheet (135,000) is drawn from all over every tick and stays cached, where the
// colour look-ups would cost about 8 us a tick for five fish to save 400 KB.
constexpr qint64 kEightBitSheetPixels = 256 * 1024;
QImage keptSheet(const QImage& picture);
