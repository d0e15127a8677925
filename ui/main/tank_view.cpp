#include "ui/main/tank_view.h"

#include <QPaintEvent>
#include <QPainter>

TankView::TankView(const QImage& surface, QWidget* parent) : QWidget(parent), surface_(surface)
{
    // The surface covers the whole view, so Qt need not clear it first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
}

void TankView::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    const QRect r = event->rect();
    p.drawImage(r, surface_, r);
}
