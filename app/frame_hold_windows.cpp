#include "app/frame_hold.h"

#include "ui/main/main_window.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTimer>

// Windows has no SIGUSR1 and SIGUSR2: a file named "hold" in the folder stops the tank,
// one named "go" lets it swim on. Each is removed once seen.
void holdFramesOnSignals(MainWindow& window)
{
    const QString folder = qEnvironmentVariable("PONDEL_FRAME_HOLD");
    if (folder.isEmpty())
        return;
    const QDir dir(folder);
    auto* poll = new QTimer(&window);
    QObject::connect(poll, &QTimer::timeout, &window, [&window, dir] {
        if (QFile::remove(dir.filePath(QStringLiteral("go")))) {
            window.Timer1->start();
            return;
        }
        if (!QFile::remove(dir.filePath(QStringLiteral("hold"))))
            return;
        window.Timer1->stop();
        // The view's last repaint is queued and reaches the screen a little later; half a
        // second is far more than it needs.
        QTimer::singleShot(500, &window, [&window, dir] {
            QSaveFile file(dir.filePath(QStringLiteral("frame.png")));
            if (file.open(QIODevice::WriteOnly) && window.scene().suisou.save(&file, "PNG"))
                file.commit();
        });
    });
    poll->start(50);
    QSaveFile ready(dir.filePath(QStringLiteral("ready")));
    if (ready.open(QIODevice::WriteOnly))
        ready.commit();
}
