#include "app/command_line.h"
#include "app/frame_hold.h"
#include "app/module1.h"
#include "app/signal_close.h"
#include "ui/main/main_window.h"
#include "ui/main/messenger.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char** argv)
{
    if (const std::optional<int> status = answerCommandLine(argc, argv))
        return *status;

    QApplication app(argc, argv);
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
