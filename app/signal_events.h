#pragma once

#include <QObject>

#include <functional>
#include <initializer_list>

// Signals as events of the event loop. The signal handler itself only writes a byte (or
// ends the process), which is all that is safe there.

// Until these signals are held or handled, each ends the process at once with `status`:
// for the time before anything is open that a close would have to store.
void exitOnSignals(std::initializer_list<int> numbers, int status);

// From here on each of these signals waits, as a byte, for onSignals to handle it; one
// that came before the event loop runs is handled once it does.
void holdSignals(std::initializer_list<int> numbers);

// Runs `handler` on the event loop, in the main thread, once for each of these signals as
// it arrives, while `context` lives. A later call for the same signal takes over from
// this one. Needs the application object.
void onSignals(std::initializer_list<int> numbers, QObject* context, std::function<void(int)> handler);
