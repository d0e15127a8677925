#include "app/signal_events.h"

#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
// The write end for each signal number; set before the signal's handler is.
std::array<volatile sig_atomic_t, 65> writeEnd{};

void onSignal(int sig)
{
    // The write end never blocks: under a storm of signals the socket fills, and one byte
    // already waiting wakes the loop as well as a thousand. errno belongs to the code the
    // signal interrupted.
    const int savedErrno = errno;
    const char byte = char(sig);
    [[maybe_unused]] auto n = ::write(int(writeEnd[std::size_t(sig)]), &byte, 1);
    errno = savedErrno;
}
}  // namespace

void onSignals(std::initializer_list<int> numbers, QObject* context, std::function<void(int)> handler)
{
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0)
        return;
    ::fcntl(ends[1], F_SETFL, ::fcntl(ends[1], F_GETFL) | O_NONBLOCK);
    auto* notifier = new QSocketNotifier(ends[0], QSocketNotifier::Read, context);
    QObject::connect(notifier, &QSocketNotifier::activated, context, [fd = ends[0], handler] {
        char byte;
        if (::read(fd, &byte, 1) == 1)
            handler(int(static_cast<unsigned char>(byte)));
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : numbers) {
        if (sig <= 0 || std::size_t(sig) >= writeEnd.size())
            continue;
        writeEnd[std::size_t(sig)] = ends[1];
        ::sigaction(sig, &action, nullptr);
    }
}
