#include "app/command_line.h"
#include "app/frame_hold.h"
#include "app/module1.h"
#include "app/signal_close.h"
#include "ui/main/main_window.h"
#include "ui/main/messenger.h"
#include "ui/main/wayland_title_bars.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char** argv)
{
    if (const std::optional<int> status = answerCommandLine(argc, argv))
        return *status;

    skipOpenGlWhereTheCompositorDrawsTitleBars(PONDEL_APP_ID);
    // The tank view may become a native window of its own; the menu bar beside it stays
    // drawn in the main window (on Wayland, in the main surface).
    QApplication::setAttribute(Qt::AA_DontCreateNativeWidgetSiblings);
    QApplication app(argc, argv);
    // The desktop entry's name: Wayland's app_id, by which the desktop finds its icon and name.
    QGuiApplication::setDesktopFileName(QStringLiteral(PONDEL_APP_ID));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/pictures/icon.png")));
    QApplication::setFont(QFont(uiFontFamily(), 9));

    Messenger messenger;
    Module1 program(messenger);
    program.Main();

    // The program ends with the main window, even if a chooser is still open.
    QObject::connect(&program.mainFrm(), &MainWindow::unloaded, &app, &QApplication::quit, Qt::QueuedConnection);
    closeOnTerminationSignals(&program.mainFrm());
    holdFramesOnSignals(program.mainFrm());
    return app.exec();
}
