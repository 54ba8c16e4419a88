#pragma once

#include "Export/ImageUtilsProtocol.h"

#include <cstdint>
#include <optional>
#include <span>

namespace orlix::fuzzing {

// Hands bytes to the protocol's frame reader the way a peer does: through one end of a connected
// Unix socket pair, the other end closed after the last byte.
class FrameFeed {
public:
    // What readFrame makes of `bytes` arriving on a socket.
    static std::optional<imageutils::Frame> read(std::span<const std::uint8_t> bytes);
};

} // namespace orlix::fuzzing
