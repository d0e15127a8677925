#pragma once

#include <QMargins>
#include <QObject>
#include <QPoint>

#include <functional>

class QWidget;

// Our windows are placed by their outer size, but the window manager's frame is known
// only after the window is mapped. This calls back whenever the frame margins the window
// system reports differ from those last seen (at most once on most desktops, never
// without a window manager).
class FrameMarginWatcher : public QObject {
public:
    FrameMarginWatcher(QWidget* window, std::function<void(const QMargins&)> changed);

    // The margins as the window system reports them now (zero before it knows).
    static QMargins marginsOf(QWidget* window);

    // Moves the window so that its outer top-left corner, by those margins, is at the point.
    static void moveFrameTo(QWidget* window, QPoint frameTopLeft);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window_;
    std::function<void(const QMargins&)> changed_;
    QMargins last_;
    double lastRatio_;
};
