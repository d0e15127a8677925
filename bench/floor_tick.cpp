// The least a tick of the running tank can cost on a display path: pondel's own view and
// presenter (or Qt's painting where none works), woken by a 100 ms timer on Qt's event
// loop like the tank, each tick showing one changed pixel and composing nothing. Give it
// to bench/measure_running.sh in place of pondel to see the share of a tick that is the
// wakeup and the put rather than the tank; its "SET saved" column says no, as it keeps none.

#include "engine/frame_changes.h"
#include "engine/scene.h"
#include "engine/surface.h"
#include "ui/main/tank_view.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QImage frame = makeSurface(kTankWidth, kTankHeight, qRgb(40, 90, 160));
    TankView view(frame);
    view.setFixedSize(frame.size());
    view.show();

    FrameChanges onePixel;
    quint32 shade = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        view.prepareFrame();
        frame.setPixel(0, 0, qRgb(0, 0, int(++shade & 0xFF)));
        onePixel.clear();
        onePixel.add(QRect(0, 0, 1, 1));
        view.showChanges(onePixel);
    });
    timer.start(100);
    return app.exec();
}
