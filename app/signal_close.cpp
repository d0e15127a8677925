#include "app/signal_close.h"

#include "app/signal_events.h"

#include <QCoreApplication>
#include <QWidget>

#include <csignal>
#include <utility>

void exitOnTerminationSignals(int status)
{
    exitOnSignals({SIGHUP, SIGTERM, SIGINT}, status);
}

void holdTerminationSignals()
{
    holdSignals({SIGHUP, SIGTERM, SIGINT});
}

void endBoxesOnTerminationSignals(int status)
{
    // Ends every event loop running, the box's among them.
    onSignals({SIGHUP, SIGTERM, SIGINT}, QCoreApplication::instance(),
              [status](int) { QCoreApplication::exit(status); });
}

void closeOnTerminationSignals(QWidget* window)
{
    onSignals({SIGHUP, SIGTERM, SIGINT}, window, [window, closing = false](int) mutable {
        // The first closes the window the normal way. Closing may be held up by a box
        // (the save failed) that nobody answers at logout: a second signal ends it.
        if (std::exchange(closing, true))
            QCoreApplication::quit();
        else
            window->close();
    });
}
