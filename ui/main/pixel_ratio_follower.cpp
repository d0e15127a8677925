#include "ui/main/pixel_ratio_follower.h"

#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <memory>

void followPixelRatio(QWidget& window, std::function<void()> changed)
{
    QWindow* handle = window.windowHandle();
    if (!handle)
        return;
    auto last = std::make_shared<double>(window.devicePixelRatioF());
    QPointer<QWidget> guarded(&window);
    QObject::connect(handle, &QWindow::screenChanged, &window, [guarded, last, changed] {
        // Qt resizes the window to its old native size at the new ratio right after this
        // signal; our size must come after that.
        QTimer::singleShot(0, guarded.data(), [guarded, last, changed] {
            if (!guarded)
                return;
            QWidget& w = *guarded;
            const double ratio = w.devicePixelRatioF();
            if (ratio == *last)
                return;
            *last = ratio;
            changed();
            const QSize fixed = w.minimumSize() == w.maximumSize() ? w.maximumSize() : w.sizeHint();
            if (w.size() != fixed)
                w.resize(fixed);
        });
    });
}
