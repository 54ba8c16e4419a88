#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

// The frames the export engine and orlix-image-utils exchange over their Unix socket. Both sides
// treat the other as untrusted: every length is checked against the bytes actually present
// before anything is allocated or read.
namespace orlix::imageutils {

// 'O', 'X', 'I', 'U' in stream order.
constexpr std::uint32_t frameMagic = 0x5549584F;
// Magic (u32), message type (u8), payload length (u32), all little-endian.
constexpr std::size_t frameHeaderSize = 9;
// Room for a quantise request of a 300-megapixel image; anything claiming more is refused before
// a byte of it is allocated.
constexpr std::uint32_t maxPayloadSize = 1'200'000'000;

enum class MessageType : std::uint8_t {
    quantizeRequest = 1,
    quantizeReply,
    zopfliRequest,
    zopfliReply,
    terminateRequest,
    terminateReply,
};

struct Frame {
    MessageType type = MessageType::terminateRequest;
    std::vector<std::uint8_t> payload;
};

struct QuantizeRequest {
    enum class Quantizer : std::uint8_t { imagequant, builtIn };

    // width × height pixels of red, green, blue, alpha (not premultiplied), top row first.
    std::vector<std::uint8_t> pixels;
    bool highQuality = false;
    bool dithered = true;
    std::uint16_t paletteSize = 256;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool hasAlpha = true;
    Quantizer quantizer = Quantizer::imagequant;

    // Writes the pixels of whole rows, from row `firstRow` on, into the room it is given (a
    // multiple of width × 4 bytes); false gives up.
    using PixelWriter = std::function<bool(std::uint32_t firstRow, std::span<std::uint8_t> room)>;

    Frame encode() const;
    // The frame with its pixels written into it by `writePixels` instead of copied from `pixels`,
    // so that an image's pixels need not exist twice: a band of rows at a time, top first, each
    // band's memory taken just before it is written. Nothing when the writer gives up.
    std::optional<Frame> encode(const PixelWriter& writePixels) const;
    // Refuses a frame of another type, any inconsistent length, flags other than 0 or 1, an
    // unknown quantizer, and pixels that are not exactly width × height × 4 bytes. From a frame
    // that is handed over, the pixels keep the frame's memory instead of being copied out of it.
    static std::optional<QuantizeRequest> decode(const Frame& frame);
    static std::optional<QuantizeRequest> decode(Frame&& frame);
};

struct QuantizeReply {
    bool hasResult = false;
    bool success = false;
    // 4 bytes per entry: red, green, blue, alpha.
    std::vector<std::uint8_t> palette;
    // One palette index per pixel.
    std::vector<std::uint8_t> palettizedPixels;

    Frame encode() const;
    // Only checks that the frame is well formed; whether palette and indices fit the image is for
    // the caller, which knows the image.
    static std::optional<QuantizeReply> decode(const Frame& frame);
};

struct ZopfliRequest {
    std::vector<std::uint8_t> png;

    Frame encode() const;
    static std::optional<ZopfliRequest> decode(const Frame& frame);
};

struct ZopfliReply {
    bool success = false;
    std::vector<std::uint8_t> png;

    Frame encode() const;
    static std::optional<ZopfliReply> decode(const Frame& frame);
};

// The reply type that answers `request`, or nothing when `request` is not a request.
std::optional<MessageType> replyTypeFor(MessageType request);

// Asked whenever a read or write runs into the socket's timeout: true goes on waiting, false
// gives up. Without one, the timeout ends the read or write.
using KeepWaiting = std::function<bool()>;

// Reads one whole frame. Nothing on end of file (also before the first byte), on a read error or
// timeout, and on a header that is malformed or announces more than maxPayloadSize. The payload
// buffer grows with the bytes that actually arrive, so a peer that announces a large payload and
// sends nothing costs nothing.
std::optional<Frame> readFrame(int descriptor, const KeepWaiting& keepWaiting = {});

// Writes one whole frame to a socket; false when the peer has gone (no SIGPIPE), on an error or
// timeout, or when the payload exceeds maxPayloadSize.
bool writeFrame(int descriptor, const Frame& frame, const KeepWaiting& keepWaiting = {});

// The service greets every connection it will serve before it reads the request. A client that
// gets no greeting has reached a listener that is going away (a service killed a moment ago still
// accepts until its sockets close) and must not hand it a request.
bool sendGreeting(int descriptor);
// False on end of file, an error, or the socket's receive timeout.
bool receiveGreeting(int descriptor, const KeepWaiting& keepWaiting = {});

} // namespace orlix::imageutils
