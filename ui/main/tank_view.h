#pragma once

#include "engine/frame_changes.h"

#include <QImage>
#include <QWidget>

#include <memory>

class FramePresenter;

// The visible tank: shows the frame the engine composes (suisou) and nothing else. On X11
// with MIT-SHM the frame lives in shared memory and goes straight to the view's own
// window; on Wayland the changed places go to the view's own subsurface from wl_shm
// buffers; elsewhere Qt paints the changed places from it.
class TankView : public QWidget {
    Q_OBJECT
public:
    TankView(QImage& frame, QWidget* parent = nullptr);
    ~TankView() override;

    // Before the engine writes the frame: once the window shows, this may move the frame
    // into shared memory, and waits until the server has read what was last shown.
    void prepareFrame();
    // After the engine wrote the frame: shows the places that changed; none, nothing.
    void showChanges(const FrameChanges& changes);
    // Whether frames go to the screen past Qt's painting.
    bool showsDirectly() const { return direct_ != nullptr; }
    // The window moved to a screen of another device pixel ratio: a presenter fits one
    // ratio, so it is made again for the new one, or Qt paints where none can serve.
    void pixelRatioChanged();

    QPaintEngine* paintEngine() const override;

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void pickPresenter();
    void dropDirect();

    QImage& frame_;
    std::unique_ptr<FramePresenter> direct_;
    bool triedDirect_ = false;
    // At a fractional scale factor: the frame at the view's size in device pixels.
    QImage scaled_;
    bool scaledStale_ = true;
};
