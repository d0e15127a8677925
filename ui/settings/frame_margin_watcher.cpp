#include "ui/settings/frame_margin_watcher.h"

#include <QEvent>
#include <QWidget>
#include <QWindow>

FrameMarginWatcher::FrameMarginWatcher(QWidget* window, std::function<void(const QMargins&)> changed)
    : QObject(window), window_(window), changed_(std::move(changed)), last_(marginsOf(window))
{
    window->installEventFilter(this);
}

QMargins FrameMarginWatcher::marginsOf(QWidget* window)
{
    const QWindow* handle = window->windowHandle();
    return handle ? handle->frameMargins() : QMargins();
}

bool FrameMarginWatcher::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == window_) {
        switch (event->type()) {
        case QEvent::Show:
        case QEvent::Move:
        case QEvent::Resize: {
            const QMargins now = marginsOf(window_);
            if (now != last_) {
                last_ = now;
                changed_(now);
            }
            break;
        }
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}
