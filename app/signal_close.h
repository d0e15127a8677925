#pragma once

class QWidget;

// Logout, shutdown and Ctrl+C (SIGHUP, SIGTERM, SIGINT; on Windows the end of the session
// and the console's events) at every moment of the program's life, in the order main
// goes through them.

// Until the next call: nothing is open yet that a close would store, and a termination
// signal ends the program at once with `status`.
void exitOnTerminationSignals(int status);

// From here on a termination signal waits for one of the two below to take it.
void holdTerminationSignals();

// While a box stands in for the window that this start will not open: a termination
// signal ends the box, and the program with `status`.
void endBoxesOnTerminationSignals(int status);

// A termination signal closes the window the normal way, so the record is stored as on
// any other close; one held since the start does so as soon as the event loop runs.
void closeOnTerminationSignals(QWidget* window);
