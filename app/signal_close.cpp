#include "app/signal_close.h"

#include "app/signal_events.h"

#include <QWidget>

#include <csignal>

void closeOnTerminationSignals(QWidget* window)
{
    onSignals({SIGHUP, SIGTERM, SIGINT}, window, [window](int) { window->close(); });
}
