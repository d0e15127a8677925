#pragma once

#include <QObject>

#include <memory>

class QWidget;

// Tells when nobody can see the tank. Each display system says it its own way (a window
// unmapped, covered, under the screen saver, no longer asked to draw, minimized); they
// all come down to this one flag.
class VisibilityWatcher : public QObject {
    Q_OBJECT
public:
    ~VisibilityWatcher() override;
    bool unseen() const { return reasons_ != 0; }

signals:
    void unseenChanged(bool unseen);

protected:
    VisibilityWatcher() = default;
    // Each reason is a bit of its watcher's own; the tank is unseen while any is set.
    void setReason(unsigned reason, bool on);

private:
    unsigned reasons_ = 0;
};

// The watcher for the display system the program runs on: X11's or Wayland's where they
// are built in, else one that follows Qt's own word (minimized, not exposed).
std::unique_ptr<VisibilityWatcher> watchVisibility(QWidget& window, QWidget& tank);
