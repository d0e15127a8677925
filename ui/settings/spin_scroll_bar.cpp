#include "ui/settings/spin_scroll_bar.h"

#include <QPainter>
#include <QStyleOptionSlider>

#include <algorithm>
#include <cstdlib>

SpinScrollBar::SpinScrollBar(int topValue, int bottomValue, QWidget* parent)
    : QScrollBar(Qt::Vertical, parent), top_(topValue), bottom_(bottomValue)
{
    setRange(0, std::abs(bottomValue - topValue));
    setSingleStep(1);
    setPageStep(1);
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QAbstractSlider::valueChanged, this, [this](int v) { emit spinValueChanged(toSpin(v)); });
}

int SpinScrollBar::toSpin(int qtValue) const
{
    return bottom_ >= top_ ? top_ + qtValue : top_ - qtValue;
}

int SpinScrollBar::fromSpin(int value) const
{
    const int lo = std::min(top_, bottom_);
    const int hi = std::max(top_, bottom_);
    value = std::clamp(value, lo, hi);
    return bottom_ >= top_ ? value - top_ : top_ - value;
}

int SpinScrollBar::spinValue() const
{
    return toSpin(value());
}

void SpinScrollBar::setSpinValue(int value)
{
    setValue(fromSpin(value));
}

void SpinScrollBar::stopRepeating()
{
    setRepeatAction(SliderNoAction);
}

void SpinScrollBar::paintEvent(QPaintEvent* event)
{
    QStyleOptionSlider bar;
    initStyleOption(&bar);
    const QRect up = style()->subControlRect(QStyle::CC_ScrollBar, &bar, QStyle::SC_ScrollBarSubLine, this);
    const QRect down = style()->subControlRect(QStyle::CC_ScrollBar, &bar, QStyle::SC_ScrollBarAddLine, this);
    if (up.height() * 2 + 4 < height()) {
        QScrollBar::paintEvent(event);  // tall enough for the ordinary look
        return;
    }
    QPainter p(this);
    p.fillRect(rect(), palette().button());
    auto drawButton = [&](QRect r, QStyle::SubControl part, bool pointsUp) {
        QStyleOptionButton button;
        button.initFrom(this);
        button.rect = r;
        if (bar.activeSubControls == part && (bar.state & QStyle::State_Sunken))
            button.state |= QStyle::State_Sunken;
        else
            button.state |= QStyle::State_Raised;
        style()->drawPrimitive(QStyle::PE_PanelButtonBevel, &button, &p, this);
        // The style's own arrows shrink to a dot in a button this small.
        const QPointF c = QRectF(r).center();
        const double hw = std::min(3.5, r.width() / 2.0 - 2);
        const double hh = std::min(2.0, r.height() / 2.0 - 1);
        const double dir = pointsUp ? -1 : 1;
        const QPointF tri[3] = {{c.x() - hw, c.y() - dir * hh}, {c.x() + hw, c.y() - dir * hh}, {c.x(), c.y() + dir * hh}};
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
        p.drawPolygon(tri, 3);
        p.setRenderHint(QPainter::Antialiasing, false);
    };
    drawButton(up, QStyle::SC_ScrollBarSubLine, true);
    drawButton(down, QStyle::SC_ScrollBarAddLine, false);
}
