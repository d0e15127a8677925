#include "ui/settings/window_owner.h"

#include <QWidget>
#include <QWindow>

#include <QEvent>
#include <QPointer>
#include <QTimer>

#include <windows.h>

#include <utility>

void setWindowOwner(QWidget& window, QWidget& owner)
{
    const auto hwnd = reinterpret_cast<HWND>(window.winId());
    const auto ownerHwnd = reinterpret_cast<HWND>(owner.winId());
    // Qt makes the transient parent the owner when it shows the window; the owner is set
    // here as well so the window is owned from the moment it exists, not from its first
    // show on.
    window.windowHandle()->setTransientParent(owner.windowHandle());
    SetWindowLongPtrW(hwnd, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(ownerHwnd));
}

// Owned by the dialog: when the chooser closes, Windows hands the activation to its owner,
// and the dialog, not the disabled tank, comes to the front.
QWidget& chooserOwner(QWidget& /*tank*/, QWidget& dialog)
{
    return dialog;
}

namespace {

class ActivationForwarder : public QObject {
public:
    ActivationForwarder(QWidget& owner, std::function<QWidget*()> front)
        : QObject(&owner), owner_(owner), front_(std::move(front))
    {
        owner.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == &owner_ && event->type() == QEvent::WindowActivate && !owner_.isEnabled()) {
            if (QPointer<QWidget> front = front_()) {
                // Once Windows has finished activating the owner.
                QTimer::singleShot(0, front, [front] {
                    if (front && front->isVisible()) {
                        front->raise();
                        front->activateWindow();
                    }
                });
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget& owner_;
    std::function<QWidget*()> front_;
};

}  // namespace

void forwardActivationWhileDisabled(QWidget& owner, std::function<QWidget*()> front)
{
    new ActivationForwarder(owner, std::move(front));
}
