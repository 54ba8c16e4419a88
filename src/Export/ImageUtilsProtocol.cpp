#include "Export/ImageUtilsProtocol.h"

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <limits>
#include <span>

namespace orlix::imageutils {

namespace {

// The payload buffer grows ahead of the bytes that arrive by as much as has arrived already,
// starting small and never by more than the largest step: a header that announces a large
// payload costs no more than the bytes that follow it.
constexpr std::size_t smallestReadStep = 64u << 10;
constexpr std::size_t largestReadStep = 16u << 20;
// A request's pixels are written this much at a time, each band zeroed just before it is written
// rather than the whole frame at once.
constexpr std::size_t writtenBandBytes = 1u << 20;

void putU8(std::vector<std::uint8_t>& out, std::uint8_t value) {
    out.push_back(value);
}

void putU16(std::vector<std::uint8_t>& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void putU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

// The u32 length before a byte string. A string too long for the field gets the largest length,
// which no frame can carry, so writeFrame refuses it instead of sending a wrapped length.
void putLength(std::vector<std::uint8_t>& out, std::size_t length) {
    putU32(out, static_cast<std::uint32_t>(
                    std::min<std::size_t>(length, std::numeric_limits<std::uint32_t>::max())));
}

// A byte string as u32 length and bytes.
void putBytes(std::vector<std::uint8_t>& out, const std::vector<std::uint8_t>& bytes) {
    putLength(out, bytes.size());
    out.insert(out.end(), bytes.begin(), bytes.end());
}

std::uint32_t loadU32(const std::uint8_t* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

// Reads fields off a payload; any read past the end poisons it, so decoders check once at the end.
class PayloadReader {
public:
    explicit PayloadReader(std::span<const std::uint8_t> bytes)
        : bytes_(bytes) {}

    std::uint8_t u8() { return take(1) ? bytes_[position_ - 1] : 0; }

    std::uint16_t u16() {
        if (!take(2)) {
            return 0;
        }
        return static_cast<std::uint16_t>(bytes_[position_ - 2] | bytes_[position_ - 1] << 8);
    }

    std::uint32_t u32() { return take(4) ? loadU32(bytes_.data() + position_ - 4) : 0; }

    bool flag() {
        const std::uint8_t value = u8();
        if (value > 1) {
            failed_ = true;
        }
        return value == 1;
    }

    std::vector<std::uint8_t> bytes() {
        const auto view = byteView();
        return {view.begin(), view.end()};
    }

    // A byte string where it lies in the payload, not copied.
    std::span<const std::uint8_t> byteView() {
        const std::uint32_t length = u32();
        if (failed_ || length > bytes_.size() - position_) {
            failed_ = true;
            return {};
        }
        const auto view = bytes_.subspan(position_, length);
        position_ += length;
        return view;
    }

    // True when every read fitted and nothing is left over.
    bool complete() const { return !failed_ && position_ == bytes_.size(); }

private:
    bool take(std::size_t count) {
        if (failed_ || count > bytes_.size() - position_) {
            failed_ = true;
            return false;
        }
        position_ += count;
        return true;
    }

    std::span<const std::uint8_t> bytes_;
    std::size_t position_ = 0;
    bool failed_ = false;
};

bool knownType(std::uint8_t type) {
    return type >= static_cast<std::uint8_t>(MessageType::quantizeRequest) &&
           type <= static_cast<std::uint8_t>(MessageType::terminateReply);
}

// Whether a socket call that failed with `error` is to be made again.
bool retries(int error, const KeepWaiting& keepWaiting) {
    return error == EINTR ||
           ((error == EAGAIN || error == EWOULDBLOCK) && keepWaiting && keepWaiting());
}

// False on end of file before `count` bytes, on an error, or on a receive timeout.
bool readExactly(int descriptor, std::uint8_t* bytes, std::size_t count,
                 const KeepWaiting& keepWaiting) {
    while (count > 0) {
        const ssize_t got = ::recv(descriptor, bytes, count, 0);
        if (got < 0 && retries(errno, keepWaiting)) {
            continue;
        }
        if (got <= 0) {
            return false;
        }
        bytes += got;
        count -= static_cast<std::size_t>(got);
    }
    return true;
}

bool writeExactly(int descriptor, const std::uint8_t* bytes, std::size_t count,
                  const KeepWaiting& keepWaiting) {
    while (count > 0) {
        const ssize_t sent = ::send(descriptor, bytes, count, MSG_NOSIGNAL);
        if (sent < 0 && retries(errno, keepWaiting)) {
            continue;
        }
        if (sent <= 0) {
            return false;
        }
        bytes += sent;
        count -= static_cast<std::size_t>(sent);
    }
    return true;
}

// The fields of a quantise request before its pixels, and the pixels' length.
constexpr std::size_t quantizeFieldsSize = 18;

void putQuantizeFields(std::vector<std::uint8_t>& out, const QuantizeRequest& request,
                       std::size_t pixelBytes) {
    putU8(out, request.highQuality ? 1 : 0);
    putU8(out, request.dithered ? 1 : 0);
    putU16(out, request.paletteSize);
    putU32(out, request.width);
    putU32(out, request.height);
    putU8(out, request.hasAlpha ? 1 : 0);
    putU8(out, static_cast<std::uint8_t>(request.quantizer));
    putLength(out, pixelBytes);
}

// A quantise request without its pixels, and where they lie in the frame's payload.
struct QuantizeFields {
    QuantizeRequest request;
    std::span<const std::uint8_t> pixels;
};

std::optional<QuantizeFields> decodeQuantizeFields(const Frame& frame) {
    if (frame.type != MessageType::quantizeRequest) {
        return std::nullopt;
    }
    PayloadReader reader(frame.payload);
    QuantizeFields fields;
    QuantizeRequest& request = fields.request;
    request.highQuality = reader.flag();
    request.dithered = reader.flag();
    request.paletteSize = reader.u16();
    request.width = reader.u32();
    request.height = reader.u32();
    request.hasAlpha = reader.flag();
    const std::uint8_t quantizer = reader.u8();
    fields.pixels = reader.byteView();
    if (!reader.complete() ||
        quantizer > static_cast<std::uint8_t>(QuantizeRequest::Quantizer::builtIn)) {
        return std::nullopt;
    }
    request.quantizer = static_cast<QuantizeRequest::Quantizer>(quantizer);
    std::uint64_t expected = 0;
    if (__builtin_mul_overflow(std::uint64_t{request.width}, std::uint64_t{request.height},
                               &expected) ||
        __builtin_mul_overflow(expected, std::uint64_t{4}, &expected) ||
        expected != fields.pixels.size()) {
        return std::nullopt;
    }
    return fields;
}

} // namespace

Frame QuantizeRequest::encode() const {
    Frame frame{MessageType::quantizeRequest, {}};
    frame.payload.reserve(quantizeFieldsSize + pixels.size());
    putQuantizeFields(frame.payload, *this, pixels.size());
    frame.payload.insert(frame.payload.end(), pixels.begin(), pixels.end());
    return frame;
}

std::optional<Frame> QuantizeRequest::encode(const PixelWriter& writePixels) const {
    const std::size_t rowBytes = std::size_t(width) * 4;
    Frame frame{MessageType::quantizeRequest, {}};
    frame.payload.reserve(quantizeFieldsSize + rowBytes * height);
    putQuantizeFields(frame.payload, *this, rowBytes * height);
    const auto bandRows = static_cast<std::uint32_t>(
        std::clamp<std::size_t>(writtenBandBytes / std::max<std::size_t>(rowBytes, 1), 1, height));
    for (std::uint32_t firstRow = 0; firstRow < height; firstRow += bandRows) {
        const std::size_t start = frame.payload.size();
        frame.payload.resize(start + rowBytes * std::min(bandRows, height - firstRow));
        if (!writePixels(firstRow, std::span(frame.payload).subspan(start))) {
            return std::nullopt;
        }
    }
    return frame;
}

std::optional<QuantizeRequest> QuantizeRequest::decode(const Frame& frame) {
    auto fields = decodeQuantizeFields(frame);
    if (!fields) {
        return std::nullopt;
    }
    fields->request.pixels.assign(fields->pixels.begin(), fields->pixels.end());
    return std::move(fields->request);
}

std::optional<QuantizeRequest> QuantizeRequest::decode(Frame&& frame) {
    auto fields = decodeQuantizeFields(frame);
    if (!fields) {
        return std::nullopt;
    }
    // The pixels end the payload: the fields before them go, and the rest becomes the pixels.
    const auto fieldsEnd = fields->pixels.data() - frame.payload.data();
    frame.payload.erase(frame.payload.begin(), frame.payload.begin() + fieldsEnd);
    fields->request.pixels = std::move(frame.payload);
    return std::move(fields->request);
}

Frame QuantizeReply::encode() const {
    Frame frame{MessageType::quantizeReply, {}};
    frame.payload.reserve(10 + palette.size() + palettizedPixels.size());
    putU8(frame.payload, hasResult ? 1 : 0);
    putU8(frame.payload, success ? 1 : 0);
    putBytes(frame.payload, palette);
    putBytes(frame.payload, palettizedPixels);
    return frame;
}

std::optional<QuantizeReply> QuantizeReply::decode(const Frame& frame) {
    if (frame.type != MessageType::quantizeReply) {
        return std::nullopt;
    }
    PayloadReader reader(frame.payload);
    QuantizeReply reply;
    reply.hasResult = reader.flag();
    reply.success = reader.flag();
    reply.palette = reader.bytes();
    reply.palettizedPixels = reader.bytes();
    if (!reader.complete()) {
        return std::nullopt;
    }
    return reply;
}

Frame ZopfliRequest::encode() const {
    Frame frame{MessageType::zopfliRequest, {}};
    frame.payload.reserve(4 + png.size());
    putBytes(frame.payload, png);
    return frame;
}

std::optional<ZopfliRequest> ZopfliRequest::decode(const Frame& frame) {
    if (frame.type != MessageType::zopfliRequest) {
        return std::nullopt;
    }
    PayloadReader reader(frame.payload);
    ZopfliRequest request;
    request.png = reader.bytes();
    if (!reader.complete()) {
        return std::nullopt;
    }
    return request;
}

Frame ZopfliReply::encode() const {
    Frame frame{MessageType::zopfliReply, {}};
    frame.payload.reserve(5 + png.size());
    putU8(frame.payload, success ? 1 : 0);
    putBytes(frame.payload, png);
    return frame;
}

std::optional<ZopfliReply> ZopfliReply::decode(const Frame& frame) {
    if (frame.type != MessageType::zopfliReply) {
        return std::nullopt;
    }
    PayloadReader reader(frame.payload);
    ZopfliReply reply;
    reply.success = reader.flag();
    reply.png = reader.bytes();
    if (!reader.complete()) {
        return std::nullopt;
    }
    return reply;
}

std::optional<MessageType> replyTypeFor(MessageType request) {
    switch (request) {
    case MessageType::quantizeRequest:
        return MessageType::quantizeReply;
    case MessageType::zopfliRequest:
        return MessageType::zopfliReply;
    case MessageType::terminateRequest:
        return MessageType::terminateReply;
    default:
        return std::nullopt;
    }
}

std::optional<Frame> readFrame(int descriptor, const KeepWaiting& keepWaiting) {
    std::uint8_t header[frameHeaderSize];
    if (!readExactly(descriptor, header, sizeof header, keepWaiting)) {
        return std::nullopt;
    }
    const std::uint32_t length = loadU32(header + 5);
    if (loadU32(header) != frameMagic || !knownType(header[4]) || length > maxPayloadSize) {
        return std::nullopt;
    }
    Frame frame{static_cast<MessageType>(header[4]), {}};
    while (frame.payload.size() < length) {
        const std::size_t have = frame.payload.size();
        const std::size_t step = std::clamp(have, smallestReadStep, largestReadStep);
        const std::size_t target = have + std::min<std::size_t>(length - have, step);
        if (target > frame.payload.capacity()) {
            // Geometric growth as usual, but never beyond what the header announced.
            frame.payload.reserve(
                std::min<std::size_t>(length, std::max(target, 2 * frame.payload.capacity())));
        }
        frame.payload.resize(target);
        if (!readExactly(descriptor, frame.payload.data() + have, frame.payload.size() - have,
                         keepWaiting)) {
            return std::nullopt;
        }
    }
    return frame;
}

bool writeFrame(int descriptor, const Frame& frame, const KeepWaiting& keepWaiting) {
    if (frame.payload.size() > maxPayloadSize) {
        return false;
    }
    const auto length = static_cast<std::uint32_t>(frame.payload.size());
    std::vector<std::uint8_t> header;
    header.reserve(frameHeaderSize);
    putU32(header, frameMagic);
    putU8(header, static_cast<std::uint8_t>(frame.type));
    putU32(header, length);
    return writeExactly(descriptor, header.data(), header.size(), keepWaiting) &&
           writeExactly(descriptor, frame.payload.data(), frame.payload.size(), keepWaiting);
}

namespace {

constexpr std::uint8_t greeting = 'G';

} // namespace

bool sendGreeting(int descriptor) {
    return writeExactly(descriptor, &greeting, 1, {});
}

bool receiveGreeting(int descriptor, const KeepWaiting& keepWaiting) {
    std::uint8_t received = 0;
    return readExactly(descriptor, &received, 1, keepWaiting) && received == greeting;
}

} // namespace orlix::imageutils
