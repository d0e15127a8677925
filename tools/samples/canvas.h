#pragma once

#include <QImage>
#include <QPainter>

// A cell painted at four times its size and box-filtered down, so edges come out
// smooth in colour while the sheet's mask still cuts them hard.
class Canvas {
public:
    Canvas(int width, int height);
    QPainter& painter() { return painter_; }
    // Ends painting; the cell at its final size, straight ARGB32.
    QImage finish();

private:
    static constexpr int kScale = 4;
    int width_;
    int height_;
    QImage image_;
    QPainter painter_;
};
