#include "ui/settings/window_owner.h"

#include <QWidget>
#include <QWindow>

#include <windows.h>

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
