#include "ui/settings/window_owner.h"

#include <QWidget>
#include <QWindow>

void setWindowOwner(QWidget& window, QWidget& owner)
{
    window.winId();
    owner.winId();
    window.windowHandle()->setTransientParent(owner.windowHandle());
}

// The window manager keeps both dialogs above the tank; the chooser stays transient for
// the tank, as the window managers it was tried with expect.
QWidget& chooserOwner(QWidget& tank, QWidget& /*dialog*/)
{
    return tank;
}

// The window manager keeps transient windows above the tank.
void forwardActivationWhileDisabled(QWidget& /*owner*/, std::function<QWidget*()> /*front*/) {}
