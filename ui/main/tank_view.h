#pragma once

#include <QImage>
#include <QWidget>

// The visible tank: paints the suisou surface and nothing else.
class TankView : public QWidget {
    Q_OBJECT
public:
    TankView(const QImage& surface, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const QImage& surface_;
};
