#pragma once

class QWidget;

// The program's windows have a fixed size, and no window system offers to maximize them,
// except Qt 6.4's own title bar on Wayland, which offers it on every window. A fixed-size
// window that the compositor has configured maximized ends the connection with a protocol
// error at its next frame. So a maximize asked of such a window is taken back at once: on
// Wayland in the same flush as the request, so the compositor never configures it. Call
// once per window, before it shows.
void keepFixedSizeWindowsUnmaximized(QWidget& window);
