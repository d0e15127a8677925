#pragma once

#include <QImage>
#include <QString>

struct LoadedPicture {
    QImage image;   // Format_RGB32, null on failure
    QString error;  // why it failed, for the message naming the file
    bool ok() const { return !image.isNull(); }
};

// Largest picture we decode. A real sheet is at most 2000 x 400; this only stops a
// header that claims an absurd size from making us allocate without bound.
constexpr int kMaxPictureSide = 8192;

// Reads BMP, PNG, GIF or JPEG whatever the file is called (".pat", ".acc").
// Transparent pixels become white, the sheets' transparent colour.
LoadedPicture loadPicture(const QString& path);
