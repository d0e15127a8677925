#include "ui/main/x11/x11_visibility_watcher.h"

#if PONDEL_X11_VISIBILITY

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QWidget>

#include <xcb/screensaver.h>
#include <xcb/xcb.h>

#include <cstdlib>

namespace {

// Why the tank cannot be seen.
enum Reason : unsigned {
    kUnmapped = 1,     // iconified, on another workspace, withdrawn
    kObscured = 2,     // fully covered (only the server without a compositor says so)
    kScreenSaver = 4,  // the screen saver or blanking is on
};

// Reads the server's word from the events Qt receives, before Qt handles them: a map
// comes before its exposes, so the tank has caught up by the time it is painted.
class X11VisibilityWatcher final : public VisibilityWatcher, public QAbstractNativeEventFilter {
public:
    X11VisibilityWatcher(xcb_connection_t* connection, xcb_window_t window, xcb_window_t root)
        : connection_(connection), window_(window)
    {
        // Qt chose what it hears of its window; add what we need to that.
        const auto cookie = xcb_get_window_attributes(connection_, window_);
        if (auto* attributes = xcb_get_window_attributes_reply(connection_, cookie, nullptr)) {
            const std::uint32_t mask =
                attributes->your_event_mask | XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_VISIBILITY_CHANGE;
            xcb_change_window_attributes(connection_, window_, XCB_CW_EVENT_MASK, &mask);
            std::free(attributes);
        }
        const xcb_query_extension_reply_t* saver = xcb_get_extension_data(connection_, &xcb_screensaver_id);
        if (saver && saver->present) {
            saverEvent_ = std::uint8_t(saver->first_event + XCB_SCREENSAVER_NOTIFY);
            xcb_screensaver_select_input(connection_, root, XCB_SCREENSAVER_EVENT_NOTIFY_MASK);
            const auto info = xcb_screensaver_query_info(connection_, root);
            if (auto* reply = xcb_screensaver_query_info_reply(connection_, info, nullptr)) {
                setReason(kScreenSaver, reply->state == XCB_SCREENSAVER_STATE_ON);
                std::free(reply);
            }
        }
        xcb_flush(connection_);
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    ~X11VisibilityWatcher() override
    {
        if (QCoreApplication::instance())
            QCoreApplication::instance()->removeNativeEventFilter(this);
    }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override
    {
        if (type != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        const std::uint8_t kind = event->response_type & 0x7F;
        if (kind == XCB_MAP_NOTIFY) {
            if (reinterpret_cast<const xcb_map_notify_event_t*>(event)->window == window_)
                setReason(kUnmapped, false);
        } else if (kind == XCB_UNMAP_NOTIFY) {
            if (reinterpret_cast<const xcb_unmap_notify_event_t*>(event)->window == window_)
                setReason(kUnmapped, true);
        } else if (kind == XCB_VISIBILITY_NOTIFY) {
            const auto* v = reinterpret_cast<const xcb_visibility_notify_event_t*>(event);
            if (v->window == window_)
                setReason(kObscured, v->state == XCB_VISIBILITY_FULLY_OBSCURED);
        } else if (saverEvent_ != 0 && kind == saverEvent_) {
            // On, or cycling its pictures: either way the tank is not on the screen.
            const auto* s = reinterpret_cast<const xcb_screensaver_notify_event_t*>(event);
            setReason(kScreenSaver, s->state == XCB_SCREENSAVER_STATE_ON || s->state == XCB_SCREENSAVER_STATE_CYCLE);
        }
        return false;
    }

private:
    xcb_connection_t* connection_;
    xcb_window_t window_;
    std::uint8_t saverEvent_ = 0;
};

}  // namespace

std::unique_ptr<VisibilityWatcher> createX11VisibilityWatcher(QWidget& window)
{
    const auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return nullptr;
    xcb_connection_t* connection = x11->connection();
    const auto id = static_cast<xcb_window_t>(window.winId());
    const auto tree = xcb_query_tree(connection, id);
    auto* reply = xcb_query_tree_reply(connection, tree, nullptr);
    if (!reply)
        return nullptr;
    const xcb_window_t root = reply->root;
    std::free(reply);
    return std::make_unique<X11VisibilityWatcher>(connection, id, root);
}

#else  // no xcb in this build

std::unique_ptr<VisibilityWatcher> createX11VisibilityWatcher(QWidget&)
{
    return nullptr;
}

#endif
