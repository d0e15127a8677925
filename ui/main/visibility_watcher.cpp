#include "ui/main/visibility_watcher.h"

#include "ui/main/qt_visibility_watcher.h"
#include "ui/main/wayland/wayland_visibility_watcher.h"
#include "ui/main/x11/x11_visibility_watcher.h"

VisibilityWatcher::~VisibilityWatcher() = default;

void VisibilityWatcher::setReason(unsigned reason, bool on)
{
    const bool was = unseen();
    reasons_ = on ? reasons_ | reason : reasons_ & ~reason;
    if (unseen() != was)
        emit unseenChanged(unseen());
}

std::unique_ptr<VisibilityWatcher> watchVisibility(QWidget& window, QWidget& tank)
{
    if (auto x11 = createX11VisibilityWatcher(window))
        return x11;
    if (auto wayland = createWaylandVisibilityWatcher(tank))
        return wayland;
    return createQtVisibilityWatcher(window);
}
