#pragma once

#include <QObject>

#include <functional>
#include <initializer_list>

// Runs `handler` on the event loop, in `context`'s thread, once for each of these signals
// as it arrives. The signal handler itself only writes a byte, which is all that is safe
// there.
void onSignals(std::initializer_list<int> numbers, QObject* context, std::function<void(int)> handler);
