#pragma once

#include <sys/types.h>

#include <string>

namespace orlix::testing {

// A session bus of the test's own, so that the programs it starts find each other and nothing of
// the user's session; ended at the end.
class PrivateSessionBus {
public:
    PrivateSessionBus();
    ~PrivateSessionBus();
    PrivateSessionBus(const PrivateSessionBus&) = delete;
    PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

    // Empty when the bus did not start.
    const std::string& address() const { return address_; }
    // Ends the bus daemon now, as at the end of a session.
    void end();

private:
    std::string readAddress(int descriptor);

    pid_t pid_ = -1;
    std::string address_;
};

} // namespace orlix::testing
