#include "app/signal_events.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr std::size_t kSignals = 65;

// One channel for all signals, made once: a byte written in the signal handler is read
// on the event loop.
int readEnd = -1;
volatile sig_atomic_t writeEnd = -1;
// What the signal handler does with each signal: -1 writes its byte, else ends the
// process with that status.
std::array<volatile sig_atomic_t, kSignals> exitStatus{};

struct Handler {
    QPointer<QObject> context;
    std::function<void(int)> run;
};
std::array<Handler, kSignals> handlers;
QPointer<QSocketNotifier> notifier;

void onSignal(int sig)
{
    if (exitStatus[std::size_t(sig)] >= 0)
        ::_exit(int(exitStatus[std::size_t(sig)]));
    // The write end never blocks: under a storm of signals the socket fills, and one byte
    // already waiting wakes the loop as well as a thousand. errno belongs to the code the
    // signal interrupted.
    const int savedErrno = errno;
    const char byte = char(sig);
    [[maybe_unused]] auto n = ::write(int(writeEnd), &byte, 1);
    errno = savedErrno;
}

bool openChannel()
{
    if (readEnd >= 0)
        return true;
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0)
        return false;
    ::fcntl(ends[1], F_SETFL, ::fcntl(ends[1], F_GETFL) | O_NONBLOCK);
    readEnd = ends[0];
    writeEnd = ends[1];
    return true;
}

bool valid(int sig)
{
    return sig > 0 && std::size_t(sig) < kSignals;
}

void catchSignals(std::initializer_list<int> numbers, int status)
{
    if (!openChannel())
        return;
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : numbers) {
        if (!valid(sig))
            continue;
        exitStatus[std::size_t(sig)] = status;
        ::sigaction(sig, &action, nullptr);
    }
}

}  // namespace

void exitOnSignals(std::initializer_list<int> numbers, int status)
{
    catchSignals(numbers, status);
}

void holdSignals(std::initializer_list<int> numbers)
{
    catchSignals(numbers, -1);
}

void onSignals(std::initializer_list<int> numbers, QObject* context, std::function<void(int)> handler)
{
    holdSignals(numbers);
    if (readEnd < 0 || !QCoreApplication::instance())
        return;
    for (int sig : numbers) {
        if (valid(sig))
            handlers[std::size_t(sig)] = {context, handler};
    }
    if (notifier)
        return;
    notifier = new QSocketNotifier(readEnd, QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] {
        char byte;
        if (::read(readEnd, &byte, 1) != 1)
            return;
        const int sig = int(static_cast<unsigned char>(byte));
        if (!valid(sig))
            return;
        // A copy: the handler may hand the signal on to another.
        const Handler h = handlers[std::size_t(sig)];
        if (h.context && h.run)
            h.run(sig);
    });
}
