#pragma once

#include <sys/types.h>

namespace orlix {

// Whether another process can still make progress, as the kernel reports its state.
class ProcessStatus {
public:
    enum class State {
        // Running, or sleeping until something it waits for happens: it will go on.
        running,
        // Stopped by a signal or a tracer: it does nothing until continued.
        stopped,
        // Exited (a zombie not yet reaped) or no such process.
        ended,
    };

    static State of(pid_t pid);
};

} // namespace orlix
