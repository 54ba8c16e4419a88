#include "FrameFeed.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <thread>

namespace orlix::fuzzing {

namespace {

// Well below the smallest buffer a Unix stream socket has by default.
constexpr std::size_t bufferedBytes = 64u << 10;

[[noreturn]] void fail(const char* what) {
    std::perror(what);
    std::abort();
}

void sendAll(int descriptor, std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const ssize_t sent = ::send(descriptor, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent <= 0) {
            // The reader stopped early (a header it refused): the rest is never read.
            return;
        }
        bytes = bytes.subspan(static_cast<std::size_t>(sent));
    }
}

} // namespace

std::optional<imageutils::Frame> FrameFeed::read(std::span<const std::uint8_t> bytes) {
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
        fail("orlix fuzz: socketpair");
    }
    // What fits in the socket's buffer is sent before reading, as a peer that wrote everything
    // at once; a larger input gets a writer of its own and arrives in pieces.
    auto send = [&] {
        sendAll(ends[1], bytes);
        ::shutdown(ends[1], SHUT_WR);
    };
    std::optional<imageutils::Frame> frame;
    if (bytes.size() <= bufferedBytes) {
        send();
        frame = imageutils::readFrame(ends[0]);
    } else {
        std::thread writer(send);
        frame = imageutils::readFrame(ends[0]);
        ::shutdown(ends[0], SHUT_RDWR);
        writer.join();
    }
    ::close(ends[0]);
    ::close(ends[1]);
    return frame;
}

} // namespace orlix::fuzzing
