#include "ui/settings/window_frame.h"

#include <QWidget>
#include <QWindow>

#include <windows.h>

#include <cmath>

QMargins windowSystemFrame(QWidget& window)
{
    const QWindow* handle = window.windowHandle();
    if (!handle || !handle->handle())
        return {};
    const auto hwnd = reinterpret_cast<HWND>(window.winId());
    RECT outer{}, inner{};
    if (!GetWindowRect(hwnd, &outer) || !GetClientRect(hwnd, &inner))
        return handle->frameMargins();
    POINT topLeft{inner.left, inner.top}, bottomRight{inner.right, inner.bottom};
    ClientToScreen(hwnd, &topLeft);
    ClientToScreen(hwnd, &bottomRight);
    const double ratio = handle->devicePixelRatio() > 0 ? handle->devicePixelRatio() : 1.0;
    auto logical = [ratio](long physical) { return int(std::lround(double(physical) / ratio)); };
    return {logical(topLeft.x - outer.left), logical(topLeft.y - outer.top), logical(outer.right - bottomRight.x),
            logical(outer.bottom - bottomRight.y)};
}
