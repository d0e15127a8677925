#include "ui/settings/frame_margin_watcher.h"

#include "ui/settings/window_frame.h"

#include <QEvent>
#include <QWidget>
#include <QWindow>

FrameMarginWatcher::FrameMarginWatcher(QWidget* window, std::function<void(const QMargins&)> changed)
    : QObject(window), window_(window), changed_(std::move(changed)), last_(marginsOf(window)),
      lastRatio_(window->devicePixelRatioF())
{
    window->installEventFilter(this);
}

QMargins FrameMarginWatcher::marginsOf(QWidget* window)
{
    return windowSystemFrame(*window);
}

void FrameMarginWatcher::moveFrameTo(QWidget* window, QPoint frameTopLeft)
{
    // Qt takes the point as the frame's corner by its own figure of the frame; where the
    // window system's differs (Windows), the difference is made up.
    const QWindow* handle = window->windowHandle();
    const QMargins qtFrame = handle && handle->handle() ? handle->frameMargins() : QMargins();
    const QMargins frame = marginsOf(window);
    window->move(frameTopLeft + QPoint(frame.left() - qtFrame.left(), frame.top() - qtFrame.top()));
}

bool FrameMarginWatcher::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == window_) {
        switch (event->type()) {
        case QEvent::Show:
        case QEvent::Move:
        case QEvent::Resize: {
            const QMargins now = marginsOf(window_);
            const double ratio = window_->devicePixelRatioF();
            // Moved to a monitor of another scale, the same frame has other logical
            // margins: the window stays where it was taken.
            if (now != last_ && ratio == lastRatio_) {
                last_ = now;
                changed_(now);
            }
            last_ = now;
            lastRatio_ = ratio;
            break;
        }
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}
