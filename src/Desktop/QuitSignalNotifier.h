#pragma once

#include <functional>

class QObject;

namespace orlix {

// SIGTERM, SIGINT and SIGHUP as a call on the Qt event loop, so that a program asked to end from
// outside leaves through its normal way out. The handler only writes the signal's number into a
// pipe that the loop reads: a signal that arrives before the loop runs waits there and is handled
// on the loop's first turn.
class QuitSignalNotifier {
public:
    using Handler = std::function<void(int signalNumber)>;

    // Once per process; the notifier lives as a child of `parent`. False when it could not be set
    // up, and the signals keep their default action.
    static bool install(QObject* parent, Handler handler);
};

} // namespace orlix
