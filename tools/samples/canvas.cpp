#include "canvas.h"

Canvas::Canvas(int width, int height)
    : width_(width), height_(height),
      image_(width * kScale, height * kScale, QImage::Format_ARGB32_Premultiplied)
{
    image_.fill(Qt::transparent);
    painter_.begin(&image_);
    painter_.setRenderHint(QPainter::Antialiasing);
    painter_.scale(kScale, kScale);
}

QImage Canvas::finish()
{
    painter_.end();
    return image_.scaled(width_, height_, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_ARGB32);
}
