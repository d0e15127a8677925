#pragma once

#include <QRect>

#include <span>

class QImage;

// Puts the tank's frame on the screen past Qt's painting: one implementation per display
// system, each in a platform file of its own. Where none can work, Qt paints the view.
class FramePresenter {
public:
    virtual ~FramePresenter() = default;

    // Before the engine writes `frame`: returns once it may be written. False when `frame`
    // is not one this presenter can show; the view then goes back to Qt's painting.
    virtual bool acquire(QImage& frame) = 0;
    // After the engine wrote `frame`: shows these places of it. Nothing is sent for no places.
    virtual void show(QImage& frame, std::span<const QRect> places) = 0;
};
