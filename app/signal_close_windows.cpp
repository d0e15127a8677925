#include "app/signal_close.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QSessionManager>
#include <QWidget>

#include <windows.h>

#include <atomic>
#include <utility>

// Windows' counterparts of SIGHUP, SIGTERM and SIGINT: the end of the session, which Qt
// reports as commitDataRequest while it answers WM_QUERYENDSESSION, and the console's
// Ctrl+C, Ctrl+Break and closing.
namespace {

class CloseRequests : public QObject {
public:
    explicit CloseRequests(QWidget* window) : QObject(window), window_(window)
    {
        closed_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    }
    ~CloseRequests() override
    {
        // Only the window's destruction gets here, after its close has run.
        if (closed_)
            SetEvent(closed_);
    }

    void request()
    {
        // A box (the save failed) that nobody answers at logout would hold the close up: a
        // second request ends the program.
        if (std::exchange(closing_, true))
            QCoreApplication::quit();
        else
            window_->close();
        if (closed_ && !window_->isVisible())
            SetEvent(closed_);
    }

    // Windows ends the process as soon as the handler of a closing console returns: hold
    // it until SET is written.
    void awaitClose() const { WaitForSingleObject(closed_, 4000); }

private:
    QWidget* window_;
    HANDLE closed_;
    bool closing_ = false;
};

std::atomic<CloseRequests*> consoleTarget{nullptr};

BOOL WINAPI onConsoleEvent(DWORD event)
{
    CloseRequests* target = consoleTarget.load();
    if (!target)
        return FALSE;
    // This runs on a thread of its own; the window closes on its own.
    QMetaObject::invokeMethod(target, [target] { target->request(); }, Qt::QueuedConnection);
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT)
        target->awaitClose();
    return TRUE;
}

}  // namespace

void closeOnTerminationSignals(QWidget* window)
{
    auto* requests = new CloseRequests(window);
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        // Qt answers WM_QUERYENDSESSION once this returns; the window must be closed by then.
        QObject::connect(app, &QGuiApplication::commitDataRequest, requests,
                         [requests](QSessionManager&) { requests->request(); }, Qt::DirectConnection);
    }
    consoleTarget = requests;
    QObject::connect(requests, &QObject::destroyed, [requests] {
        CloseRequests* expected = requests;
        consoleTarget.compare_exchange_strong(expected, nullptr);
    });
    // pondel.exe is a windowed program: started from a command prompt it has no console
    // of its own, and joins that one so its Ctrl+C reaches the tank.
    if (!GetConsoleWindow())
        AttachConsole(ATTACH_PARENT_PROCESS);
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}
