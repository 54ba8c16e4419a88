#include "ImageUtilsService/ImageUtilsServer.h"

#include "ImageUtilsService/ImageQuantizer.h"
#include "ImageUtilsService/PNGRecompressor.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>
#include <system_error>
#include <thread>

namespace orlix {

namespace {

using imageutils::Frame;
using imageutils::MessageType;

// How often the parent is looked for; also how long the service outlives a parent that died.
constexpr int parentPollMilliseconds = 200;
// A client sends its whole request right after connecting and reads the reply at once.
constexpr int connectionTimeoutSeconds = 30;
// Several exports run at once, but not hundreds; a client that opens more is misbehaving.
constexpr int maxConnections = 64;

void setTimeouts(int descriptor) {
    timeval timeout{};
    timeout.tv_sec = connectionTimeoutSeconds;
    ::setsockopt(descriptor, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    ::setsockopt(descriptor, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
}

bool peerIsOurUser(int connection) {
    ucred credentials{};
    socklen_t size = sizeof credentials;
    return ::getsockopt(connection, SOL_SOCKET, SO_PEERCRED, &credentials, &size) == 0 &&
           size == sizeof credentials && credentials.uid == ::geteuid();
}

} // namespace

ImageUtilsServer::ImageUtilsServer(std::string socketPath, pid_t parent, Answerer answerer)
    : socketPath_(std::move(socketPath))
    , parent_(parent)
    , answerer_(std::move(answerer)) {}

std::optional<Frame> ImageUtilsServer::answer(Frame request) {
    const MessageType type = request.type;
    try {
        switch (type) {
        case MessageType::quantizeRequest:
            if (auto decoded = imageutils::QuantizeRequest::decode(std::move(request))) {
                return ImageQuantizer::quantize(std::move(*decoded)).encode();
            }
            return std::nullopt;
        case MessageType::zopfliRequest:
            if (const auto decoded = imageutils::ZopfliRequest::decode(request)) {
                imageutils::ZopfliReply reply;
                if (auto png = PNGRecompressor::recompress(decoded->png)) {
                    reply.success = true;
                    reply.png = std::move(*png);
                }
                return reply.encode();
            }
            return std::nullopt;
        default:
            return std::nullopt;
        }
    } catch (const std::bad_alloc&) {
        // An image too large for the memory at hand fails this request, not the service.
        if (type == MessageType::quantizeRequest) {
            return imageutils::QuantizeReply{}.encode();
        }
        return imageutils::ZopfliReply{}.encode();
    }
}

int ImageUtilsServer::listen() {
    const int descriptor = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (descriptor < 0 || socketPath_.size() >= sizeof address.sun_path) {
        return -1;
    }
    std::memcpy(address.sun_path, socketPath_.c_str(), socketPath_.size() + 1);
    // A socket left by an earlier service of the same client would make bind fail.
    ::unlink(socketPath_.c_str());
    const mode_t previousMask = ::umask(0177);
    const bool bound =
        ::bind(descriptor, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::umask(previousMask);
    if (!bound || ::chmod(socketPath_.c_str(), 0600) != 0 || ::listen(descriptor, SOMAXCONN) != 0) {
        ::close(descriptor);
        return -1;
    }
    return descriptor;
}

bool ImageUtilsServer::parentGone() const {
    return ::getppid() != parent_;
}

void ImageUtilsServer::exitAfterParent() const {
    // No new service of that client can come to want this name, so the socket can go with us.
    ::unlink(socketPath_.c_str());
    // A private folder of the client's own (/tmp/orlix-<uid>-XXXXXX) goes too; the shared
    // "orlix" folder of the runtime directory stays for other instances.
    const auto folder = std::filesystem::path(socketPath_).parent_path();
    if (folder.filename().string().rfind("orlix-", 0) == 0) {
        ::rmdir(folder.c_str());
    }
    ::_exit(0);
}

int ImageUtilsServer::run() {
    if (parentGone()) {
        return 0;
    }
    const int listener = listen();
    if (listener < 0) {
        std::fprintf(stderr, "orlix-image-utils: cannot listen on %s: %s\n", socketPath_.c_str(),
                     std::strerror(errno));
        return 1;
    }
    for (;;) {
        pollfd waiting{listener, POLLIN, 0};
        const int ready = ::poll(&waiting, 1, parentPollMilliseconds);
        if (parentGone()) {
            exitAfterParent();
        }
        if (ready <= 0) {
            continue;
        }
        const int connection = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0) {
            continue;
        }
        if (!peerIsOurUser(connection) || activeConnections_.load() >= maxConnections) {
            ::close(connection);
            continue;
        }
        ++activeConnections_;
        try {
            std::thread([this, connection] {
                serve(connection);
                --activeConnections_;
            }).detach();
        } catch (const std::system_error&) {
            --activeConnections_;
            ::close(connection);
        }
    }
}

void ImageUtilsServer::serve(int connection) {
    setTimeouts(connection);
    if (!imageutils::sendGreeting(connection)) {
        ::close(connection);
        return;
    }
    if (auto request = imageutils::readFrame(connection)) {
        if (request->type == MessageType::terminateRequest) {
            // The client waits for this process to end before it starts another on the same name.
            ::unlink(socketPath_.c_str());
            // Ends every call in flight too: their clients see the connection drop.
            imageutils::writeFrame(connection, {MessageType::terminateReply, {}});
            ::_exit(0);
        }
        if (const auto reply = answerer_(std::move(*request))) {
            imageutils::writeFrame(connection, *reply);
        }
    }
    ::close(connection);
}

} // namespace orlix
