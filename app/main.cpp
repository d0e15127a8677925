#include "app/command_line.h"
#include "app/display_guard.h"
#include "app/folder_lock.h"
#include "app/frame_hold.h"
#include "app/module1.h"
#include "app/settings_file.h"
#include "app/signal_close.h"
#include "ui/main/main_window.h"
#include "ui/main/messenger.h"
#include "ui/main/wayland/wayland_title_bars.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>

namespace {

// No display could be opened (DisplayOpening says so).
constexpr int kNoDisplay = 1;
// A second start in the folder of a running tank ends with this status, SET untouched.
constexpr int kTankAlreadyRunning = 1;
// The record could not be stored at the end (the message box or stderr said why).
constexpr int kNotSaved = 3;

}  // namespace

int main(int argc, char** argv)
{
    if (const std::optional<int> status = answerCommandLine(argc, argv))
        return *status;

    // A termination signal at any moment ends the start with the status of what it was
    // doing. While the display opens nothing is open yet that a close would store.
    exitOnTerminationSignals(kNoDisplay);
    skipOpenGlWhereTheCompositorDrawsTitleBars(PONDEL_APP_ID);
    // The tank view may become a native window of its own; the menu bar beside it stays
    // drawn in the main window (on Wayland, in the main surface).
    QApplication::setAttribute(Qt::AA_DontCreateNativeWidgetSiblings);
    DisplayOpening opening;
    QApplication app(argc, argv);
    opening.release();
    // From here on one waits for the window, which it closes as soon as it is there, or
    // for the box that stands in for it.
    holdTerminationSignals();
    // The desktop entry's name: Wayland's app_id, by which the desktop finds its icon and name.
    QGuiApplication::setDesktopFileName(QStringLiteral(PONDEL_APP_ID));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/pictures/icon.png")));
    QApplication::setFont(QFont(uiFontFamily(), 9));

    Messenger messenger;

    // Two tanks on one SET would each write their own record at the end, and the last
    // to close would undo the other. Where no lock can be had (a file system without
    // locks) the tank starts without one, as before.
    FolderLock lock(kSettingsFileName + QStringLiteral(".lock"));
    if (lock.acquire() == FolderLock::Outcome::HeldElsewhere) {
        // Logout while the box waits ends this start as the box's OK does.
        endBoxesOnTerminationSignals(kTankAlreadyRunning);
        messenger.show(QStringLiteral("このフォルダの水槽はもう動いています"), QStringLiteral("注意"));
        return kTankAlreadyRunning;
    }

    Module1 program(messenger);
    program.Main();

    // The program ends with the main window, even if a chooser is still open.
    QObject::connect(&program.mainFrm(), &MainWindow::unloaded, &app, &QApplication::quit, Qt::QueuedConnection);
    // The display going away closes the tank too; with no display left, a failed save
    // goes to stderr instead of a message box. Qt ends the process right after, so the
    // lock goes here as well.
    const MainWindow& w = program.mainFrm();
    auto store = [&w, &lock](const QByteArray& record) {
        const FileOutcome saved = writeSettingsBytes(record, w.settingsPath());
        if (!saved.ok) {
            std::fprintf(stderr, "pondel: the settings could not be saved to %s (%s)\n",
                         w.settingsPath().toLocal8Bit().constData(), saved.error.toLocal8Bit().constData());
        }
        lock.release();
    };
    const SaveWhenTheDisplayGoesAway saveOnDisplayLoss(
        [&] {
            program.mainFrm().bringUpToDate();
            store(serializeSettings(program.settings()));
        }, [&] { store(w.snapshot().bytes()); });
    closeOnTerminationSignals(&program.mainFrm());
    holdFramesOnSignals(program.mainFrm());
    const int status = app.exec();
    return status == 0 && w.lastSaveFailed() ? kNotSaved : status;
}
