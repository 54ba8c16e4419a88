#pragma once

#include <sys/types.h>

namespace orlix::bench {

// The most memory a program and the processes it started have held, as the system counts it
// (VmHWM), read from /proc while they run: a process's own peak can be read only before it ends,
// and time(1) gives the largest of the program's and its reaped children's.
class ProcessPeaks {
public:
    // Reads the peaks of `program` and of its children once more.
    void look(pid_t program);

    // KiB; 0 when none was seen.
    double programKilobytes() const { return program_; }
    // The largest of the children's, in KiB; 0 when it started none.
    double childKilobytes() const { return child_; }

private:
    double program_ = 0;
    double child_ = 0;
};

} // namespace orlix::bench
