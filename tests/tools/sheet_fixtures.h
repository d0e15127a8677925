#pragma once

// Sheets and pictures for the sheet tool's tests, built in code.

#include "tools/sheet/sheet_layout.h"

#include <QColor>
#include <QImage>
#include <QPainter>

namespace fixtures {

constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kBlack = 0xFF000000;

// A usable sheet: in every cell a coloured block (a different colour per cell) over
// its black silhouette.
inline QImage goodSheet(const SheetLayout& layout)
{
    QImage sheet(layout.size(), QImage::Format_RGB32);
    sheet.fill(kWhite);
    for (int k = 0; k < layout.cells; ++k) {
        const QRect block(k * layout.cellWidth + 10, 10, layout.cellWidth - 20, layout.cellHeight - 25);
        sheet.setPixel(0, 0, kWhite);
        for (int y = block.top(); y <= block.bottom(); ++y)
            for (int x = block.left(); x <= block.right(); ++x) {
                sheet.setPixel(x, y, qRgb(40 + 15 * k, 200 - 10 * k, (x * 7 + y) % 250));
                sheet.setPixel(x, y + layout.maskY(), kBlack);
            }
    }
    return sheet;
}

// A cell picture with transparency: a soft-edged disc of `colour` with one pure white
// pixel (an eye) in it, on a transparent background.
inline QImage spritePicture(QSize size, QColor colour)
{
    QImage picture(size, QImage::Format_ARGB32);
    picture.fill(Qt::transparent);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            const double dx = (x - size.width() / 2.0) / (size.width() * 0.4);
            const double dy = (y - size.height() / 2.0) / (size.height() * 0.35);
            if (dx * dx + dy * dy <= 1)
                picture.setPixel(x, y, qRgba(colour.red(), (colour.green() + x) % 256, colour.blue(), 255));
        }
    picture.setPixel(size.width() / 2, size.height() / 2, 0xFFFFFFFF);
    return picture;
}

}  // namespace fixtures
