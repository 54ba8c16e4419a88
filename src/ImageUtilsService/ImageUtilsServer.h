#pragma once

#include "Export/ImageUtilsProtocol.h"

#include <sys/types.h>

#include <atomic>
#include <functional>
#include <optional>
#include <string>

namespace orlix {

// The orlix-image-utils side of the socket: accepts connections from processes of its own user,
// answers one request per connection on a thread of its own, and ends when the client process
// that started it has gone or asks it to terminate.
class ImageUtilsServer {
public:
    // Turns one request frame into its reply; nothing closes the connection unanswered.
    using Answerer = std::function<std::optional<imageutils::Frame>(imageutils::Frame)>;

    // `answerer` is `answer` in the service; tests serve other replies through the same sockets.
    ImageUtilsServer(std::string socketPath, pid_t parent, Answerer answerer = &answer);

    // Serves until the parent is gone or a terminate arrives, and then ends the process without
    // waiting for work in flight. Returns (with an exit status) only when it cannot listen.
    int run();

    // The reply to a request frame, nothing for a frame that is not a valid request (the
    // connection is then closed unanswered). Terminate is answered by run's connections, not here.
    // The request is taken over, so that its memory goes as soon as the work no longer needs it.
    static std::optional<imageutils::Frame> answer(imageutils::Frame request);

private:
    int listen();
    void serve(int connection);
    bool parentGone() const;
    [[noreturn]] void exitAfterParent() const;

    std::string socketPath_;
    pid_t parent_;
    Answerer answerer_;
    std::atomic<int> activeConnections_{0};
};

} // namespace orlix
