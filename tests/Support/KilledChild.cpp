#include "Support/KilledChild.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <thread>

namespace orlix::testing {

namespace {

::testing::AssertionResult endedKilled(pid_t child) {
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child) {
        return ::testing::AssertionFailure() << "no child process";
    }
    if (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "the child ended with status " << status;
}

} // namespace

::testing::AssertionResult KilledChild::run(const std::function<void()>& work) {
    const pid_t child = ::fork();
    if (child == 0) {
        work();
        ::_exit(0);
    }
    return endedKilled(child);
}

::testing::AssertionResult KilledChild::runFor(std::chrono::milliseconds delay,
                                               const std::function<void()>& work) {
    int started[2];
    if (::pipe(started) != 0) {
        return ::testing::AssertionFailure() << "no pipe";
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(started[0]);
        ::close(started[1]);
        work();
        ::_exit(0);
    }
    // The pipe reads its end once the child has closed its copy of the writing end: it has begun.
    ::close(started[1]);
    char byte = 0;
    while (child > 0 && ::read(started[0], &byte, 1) < 0 && errno == EINTR) {
    }
    ::close(started[0]);
    std::this_thread::sleep_for(delay);
    if (child > 0) {
        ::kill(child, SIGKILL);
    }
    return endedKilled(child);
}

} // namespace orlix::testing
