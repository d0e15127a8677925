#include "app/frame_hold.h"

#include "app/signal_events.h"
#include "ui/main/main_window.h"

#include <QDir>
#include <QSaveFile>
#include <QTimer>

#include <csignal>

void holdFramesOnSignals(MainWindow& window)
{
    const QString folder = qEnvironmentVariable("PONDEL_FRAME_HOLD");
    if (folder.isEmpty())
        return;
    onSignals({SIGUSR1, SIGUSR2}, &window, [&window, folder](int sig) {
        if (sig == SIGUSR2) {
            window.startFrameTimer();
            return;
        }
        window.Timer1->stop();
        // The view's last repaint is queued, and the server or compositor shows it a
        // little later; half a second is far more than either needs.
        QTimer::singleShot(500, &window, [&window, folder] {
            QSaveFile file(QDir(folder).filePath(QStringLiteral("frame.png")));
            if (file.open(QIODevice::WriteOnly) && window.scene().suisou.save(&file, "PNG"))
                file.commit();
        });
    });
    QSaveFile ready(QDir(folder).filePath(QStringLiteral("ready")));
    if (ready.open(QIODevice::WriteOnly))
        ready.commit();
}
