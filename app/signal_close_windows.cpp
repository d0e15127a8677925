#include "app/signal_close.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QSessionManager>
#include <QWidget>

#include <windows.h>

#include <atomic>
#include <utility>

// Windows' counterparts of SIGHUP, SIGTERM and SIGINT: the end of the session, which Qt
// reports as commitDataRequest while it answers WM_QUERYENDSESSION, and the console's
// Ctrl+C, Ctrl+Break and closing.
//
// The console's handler runs on a thread of its own, at any moment, the program's
// teardown included. It touches nothing that can go away: a message-only window of the
// main thread, which lives as long as that thread, takes the event to the main thread,
// and an event that is never closed says when the window has closed.
namespace {

enum Phase { kExit, kHold, kEndBoxes, kClose };

std::atomic<int> phase{kExit};
std::atomic<int> exitStatus{1};
std::atomic<HWND> mailbox{nullptr};
const HANDLE windowClosed = CreateEventW(nullptr, TRUE, FALSE, nullptr);
constexpr UINT kConsoleEvent = WM_APP + 1;

class CloseRequests : public QObject {
public:
    explicit CloseRequests(QWidget* window) : QObject(window), window_(window) {}
    // Only the window's destruction gets here, after its close has run.
    ~CloseRequests() override { SetEvent(windowClosed); }

    void request()
    {
        // A box (the save failed) that nobody answers at logout would hold the close up: a
        // second request ends the program.
        if (std::exchange(closing_, true))
            QCoreApplication::quit();
        else
            window_->close();
        if (!window_->isVisible())
            SetEvent(windowClosed);
    }

private:
    QWidget* window_;
    bool closing_ = false;
};

// The main thread's own: what a console event does there.
QPointer<CloseRequests> closeTarget;
bool requestHeld = false;

void onTermination()
{
    switch (phase.load()) {
    case kClose:
        if (closeTarget)
            closeTarget->request();
        else
            SetEvent(windowClosed);
        break;
    case kEndBoxes:
        // Ends every event loop running, the box's among them.
        QCoreApplication::exit(exitStatus.load());
        break;
    default:
        requestHeld = true;
    }
}

LRESULT CALLBACK mailboxProc(HWND hwnd, UINT message, WPARAM w, LPARAM l)
{
    if (message == kConsoleEvent) {
        onTermination();
        return 0;
    }
    return DefWindowProcW(hwnd, message, w, l);
}

void openMailbox()
{
    if (mailbox.load())
        return;
    WNDCLASSW kind = {};
    kind.lpfnWndProc = mailboxProc;
    kind.hInstance = GetModuleHandleW(nullptr);
    kind.lpszClassName = L"PondelConsoleEvents";
    RegisterClassW(&kind);
    mailbox = CreateWindowExW(0, kind.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, kind.hInstance,
                              nullptr);
}

BOOL WINAPI onConsoleEvent(DWORD event)
{
    if (phase.load() == kExit)
        ExitProcess(UINT(exitStatus.load()));
    // A window that is gone (the main thread ended) takes no message: the default
    // handler ends the process.
    const HWND to = mailbox.load();
    if (!to || !PostMessageW(to, kConsoleEvent, 0, 0))
        return FALSE;
    // Windows ends the process as soon as the handler of a closing console returns: hold
    // it until SET is written.
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT)
        WaitForSingleObject(windowClosed, 4000);
    return TRUE;
}

void listenToTheConsole()
{
    static const bool listening = [] {
        // pondel.exe is a windowed program: started from a command prompt it has no
        // console of its own, and joins that one so its Ctrl+C reaches the tank.
        if (!GetConsoleWindow())
            AttachConsole(ATTACH_PARENT_PROCESS);
        return SetConsoleCtrlHandler(onConsoleEvent, TRUE) != 0;
    }();
    (void)listening;
}

}  // namespace

void exitOnTerminationSignals(int status)
{
    exitStatus = status;
    phase = kExit;
    listenToTheConsole();
}

void holdTerminationSignals()
{
    openMailbox();
    phase = kHold;
    listenToTheConsole();
}

void endBoxesOnTerminationSignals(int status)
{
    openMailbox();
    exitStatus = status;
    phase = kEndBoxes;
    listenToTheConsole();
    // One held since the start ends the box as soon as it waits.
    if (std::exchange(requestHeld, false))
        PostMessageW(mailbox.load(), kConsoleEvent, 0, 0);
}

void closeOnTerminationSignals(QWidget* window)
{
    openMailbox();
    auto* requests = new CloseRequests(window);
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        // Qt answers WM_QUERYENDSESSION once this returns; the window must be closed by then.
        QObject::connect(app, &QGuiApplication::commitDataRequest, requests,
                         [requests](QSessionManager&) { requests->request(); }, Qt::DirectConnection);
    }
    closeTarget = requests;
    ResetEvent(windowClosed);
    phase = kClose;
    listenToTheConsole();
    if (std::exchange(requestHeld, false))
        PostMessageW(mailbox.load(), kConsoleEvent, 0, 0);
}
