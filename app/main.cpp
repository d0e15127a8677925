#include "app/command_line.h"
#include "app/display_guard.h"
#include "app/module1.h"
#include "app/settings_file.h"
#include "app/signal_close.h"
#include "ui/main/main_window.h"
#include "ui/main/messenger.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>

int main(int argc, char** argv)
{
    if (const std::optional<int> status = answerCommandLine(argc, argv))
        return *status;

    DisplayOpening opening;
    QApplication app(argc, argv);
    opening.release();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/pictures/icon.png")));
    QApplication::setFont(QFont(uiFontFamily(), 9));

    Messenger messenger;

    Module1 program(messenger);
    program.Main();

    // The program ends with the main window, even if a chooser is still open.
    QObject::connect(&program.mainFrm(), &MainWindow::unloaded, &app, &QApplication::quit, Qt::QueuedConnection);
    // The display going away closes the tank too; with no display left, a failed save
    // goes to stderr instead of a message box.
    const SaveWhenTheDisplayGoesAway saveOnDisplayLoss([&program] {
        const MainWindow& w = program.mainFrm();
        const FileOutcome saved = writeSettingsFile(program.settings(), w.settingsPath());
        if (!saved.ok) {
            std::fprintf(stderr, "pondel: the settings could not be saved to %s (%s)\n",
                         w.settingsPath().toLocal8Bit().constData(), saved.error.toLocal8Bit().constData());
        }
    });
    closeOnTerminationSignals(&program.mainFrm());
    return app.exec();
}
