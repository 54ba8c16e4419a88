#pragma once

#include <optional>
#include <string>

namespace orlix {

// Where the image-utilities services listen: one socket per client process, named after it, in
// $XDG_RUNTIME_DIR/orlix (0700), or in a private folder under /tmp when there is no usable
// runtime folder. Not thread-safe: the connection calls it under its own lock.
class ImageUtilsSocketFolder {
public:
    // The socket of this process's service; nothing when no private folder can be had. The
    // socket is removed when this process exits normally, whether its service still runs or not.
    static std::optional<std::string> socketPathForThisProcess();

    // Removes the sockets in `folder` that provably belong to nobody: their client process is
    // gone and nothing listens on them (left by clients and services that were both killed).
    static void removeStaleSockets(const std::string& folder);

    // "image-utils-<pid>.sock".
    static std::string socketName(long pid);
};

} // namespace orlix
