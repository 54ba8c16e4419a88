#pragma once

#include <functional>

class QObject;

namespace orlix {

// SIGTERM and SIGINT as a call on the Qt event loop, so that a program asked to end from outside
// leaves through its normal way out.
class QuitSignalNotifier {
public:
    // Once per process; the notifier lives as a child of `parent`. False when it could not be set
    // up, and the signals keep their default action.
    static bool install(QObject* parent, std::function<void()> handler);
};

} // namespace orlix
