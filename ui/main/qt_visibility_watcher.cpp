#include "ui/main/qt_visibility_watcher.h"

#include <QEvent>
#include <QWidget>
#include <QWindow>

namespace {

// Where the display system tells Qt itself (Windows): a minimized window, or one Qt says
// is not exposed, is unseen.
class QtVisibilityWatcher final : public VisibilityWatcher {
public:
    explicit QtVisibilityWatcher(QWidget& window) : window_(window)
    {
        // The widget hears of its state; its native window of exposes.
        window_.installEventFilter(this);
        if (QWindow* handle = window_.windowHandle())
            handle->installEventFilter(this);
        update();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == &window_ || watched == window_.windowHandle()) {
            switch (event->type()) {
            case QEvent::WindowStateChange:
            case QEvent::Show:
            case QEvent::Hide:
            case QEvent::Expose:
            case QEvent::PlatformSurface:
                update();
                break;
            default:
                break;
            }
        }
        return false;
    }

private:
    void update()
    {
        const QWindow* handle = window_.windowHandle();
        const bool minimized = window_.isMinimized();
        // Before the first show there is no handle, and the tank is not yet drawn anyway.
        setReason(1, minimized || (handle && window_.isVisible() && !handle->isExposed()));
    }

    QWidget& window_;
};

}  // namespace

std::unique_ptr<VisibilityWatcher> createQtVisibilityWatcher(QWidget& window)
{
    return std::make_unique<QtVisibilityWatcher>(window);
}
