#include "Export/ImageUtilsProtocol.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

namespace orlix::imageutils {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct SocketPair {
    SocketPair() { EXPECT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends), 0); }
    ~SocketPair() {
        closeEnd(0);
        closeEnd(1);
    }
    void closeEnd(int index) {
        if (ends[index] >= 0) {
            ::close(ends[index]);
            ends[index] = -1;
        }
    }
    void send(const Bytes& bytes) const {
        ASSERT_EQ(::write(ends[1], bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    int ends[2] = {-1, -1};
};

Bytes header(std::uint32_t magic, std::uint8_t type, std::uint32_t length) {
    Bytes bytes(frameHeaderSize);
    std::memcpy(bytes.data(), &magic, 4); // the machine is little-endian, as the frame is
    bytes[4] = type;
    std::memcpy(bytes.data() + 5, &length, 4);
    return bytes;
}

QuantizeRequest sampleRequest() {
    QuantizeRequest request;
    request.width = 3;
    request.height = 2;
    request.pixels.resize(24);
    for (std::size_t index = 0; index < request.pixels.size(); ++index) {
        request.pixels[index] = static_cast<std::uint8_t>(index * 11);
    }
    request.highQuality = true;
    request.dithered = false;
    request.paletteSize = 300;
    request.hasAlpha = false;
    request.quantizer = QuantizeRequest::Quantizer::builtIn;
    return request;
}

TEST(ImageUtilsProtocol, MessagesSurviveTheSocketUnchanged) {
    SocketPair pair;
    const QuantizeRequest request = sampleRequest();
    QuantizeReply reply{true, false, {1, 2, 3, 4, 5, 6, 7, 8}, {0, 1, 1, 0, 1, 0}};
    const ZopfliReply zopfli{true, {0x89, 'P', 'N', 'G'}};
    std::thread writer([&] {
        EXPECT_TRUE(writeFrame(pair.ends[1], request.encode()));
        EXPECT_TRUE(writeFrame(pair.ends[1], reply.encode()));
        EXPECT_TRUE(writeFrame(pair.ends[1], zopfli.encode()));
        EXPECT_TRUE(writeFrame(pair.ends[1], {MessageType::terminateRequest, {}}));
    });

    const auto quantize = QuantizeRequest::decode(readFrame(pair.ends[0]).value());
    ASSERT_TRUE(quantize);
    EXPECT_EQ(quantize->pixels, request.pixels);
    EXPECT_EQ(quantize->width, 3u);
    EXPECT_EQ(quantize->height, 2u);
    EXPECT_EQ(quantize->paletteSize, 300);
    EXPECT_TRUE(quantize->highQuality);
    EXPECT_FALSE(quantize->dithered);
    EXPECT_FALSE(quantize->hasAlpha);
    EXPECT_EQ(quantize->quantizer, QuantizeRequest::Quantizer::builtIn);

    const auto decodedReply = QuantizeReply::decode(readFrame(pair.ends[0]).value());
    ASSERT_TRUE(decodedReply);
    EXPECT_TRUE(decodedReply->hasResult);
    EXPECT_FALSE(decodedReply->success);
    EXPECT_EQ(decodedReply->palette, reply.palette);
    EXPECT_EQ(decodedReply->palettizedPixels, reply.palettizedPixels);

    const auto decodedZopfli = ZopfliReply::decode(readFrame(pair.ends[0]).value());
    ASSERT_TRUE(decodedZopfli);
    EXPECT_TRUE(decodedZopfli->success);
    EXPECT_EQ(decodedZopfli->png, zopfli.png);

    const auto terminate = readFrame(pair.ends[0]);
    ASSERT_TRUE(terminate);
    EXPECT_EQ(terminate->type, MessageType::terminateRequest);
    EXPECT_TRUE(terminate->payload.empty());
    writer.join();
}

TEST(ImageUtilsProtocol, QuantizeRequestRefusesInconsistentFields) {
    const Frame valid = sampleRequest().encode();
    ASSERT_TRUE(QuantizeRequest::decode(valid));

    // Whether either form takes it: a copy of the frame's pixels, or the frame's own memory.
    const auto decodeAltered = [&](auto alter) {
        Frame frame = valid;
        alter(frame.payload);
        return QuantizeRequest::decode(frame).has_value() ||
               QuantizeRequest::decode(std::move(frame)).has_value();
    };
    // Layout: flags at 0 and 1, palette size at 2, width at 4, height at 8, hasAlpha at 12,
    // quantizer at 13, pixel length at 14, pixels from 18.
    EXPECT_FALSE(decodeAltered([](Bytes& p) { p[1] = 2; })) << "a flag other than 0 or 1";
    EXPECT_FALSE(decodeAltered([](Bytes& p) { p[13] = 2; })) << "an unknown quantizer";
    EXPECT_FALSE(decodeAltered([](Bytes& p) { p[4] = 4; })) << "pixels not width × height × 4";
    EXPECT_FALSE(decodeAltered([](Bytes& p) {
        std::memset(p.data() + 4, 0xFF, 8); // 2^32-1 squared overflows 64 bits once times 4
        std::memset(p.data() + 14, 0, 4);
        p.resize(18);
    })) << "a size that overflows";
    EXPECT_FALSE(decodeAltered([](Bytes& p) { p.push_back(0); })) << "a trailing byte";
    EXPECT_FALSE(decodeAltered([](Bytes& p) { p.pop_back(); })) << "a missing byte";
    EXPECT_FALSE(decodeAltered([](Bytes& p) { std::memset(p.data() + 14, 0xFF, 4); }))
        << "a pixel length beyond the payload";
    for (std::size_t length = 0; length < valid.payload.size(); ++length) {
        Frame truncated{MessageType::quantizeRequest,
                        Bytes(valid.payload.begin(), valid.payload.begin() + length)};
        EXPECT_FALSE(QuantizeRequest::decode(truncated)) << "truncated to " << length;
        EXPECT_FALSE(QuantizeRequest::decode(std::move(truncated))) << "truncated to " << length;
    }
    EXPECT_FALSE(QuantizeRequest::decode({MessageType::zopfliRequest, valid.payload}));
}

TEST(ImageUtilsProtocol, RepliesRefuseLengthsThatDoNotMatchThePayload) {
    // A reply only has to be well formed: a palette of 5 bytes passes, the client judges it.
    const Frame oddPalette = QuantizeReply{true, true, {1, 2, 3, 4, 5}, {0}}.encode();
    EXPECT_TRUE(QuantizeReply::decode(oddPalette));

    Frame overlong = oddPalette;
    std::memset(overlong.payload.data() + 2, 0xFF, 4);
    EXPECT_FALSE(QuantizeReply::decode(overlong));
    Frame trailing = oddPalette;
    trailing.payload.push_back(9);
    EXPECT_FALSE(QuantizeReply::decode(trailing));
    EXPECT_FALSE(QuantizeReply::decode({MessageType::quantizeReply, {}}));

    Frame zopfli = ZopfliReply{true, {1, 2, 3}}.encode();
    zopfli.payload[1] = 4;
    EXPECT_FALSE(ZopfliReply::decode(zopfli));
    EXPECT_FALSE(ZopfliRequest::decode({MessageType::zopfliRequest, {3, 0, 0, 0, 1, 2}}));
}

TEST(ImageUtilsProtocol, ReadFrameRefusesBrokenStreams) {
    const auto readAfter = [](const Bytes& bytes) {
        SocketPair pair;
        pair.send(bytes);
        pair.closeEnd(1);
        return readFrame(pair.ends[0]);
    };
    const auto quantize = static_cast<std::uint8_t>(MessageType::quantizeRequest);
    EXPECT_FALSE(readAfter({})) << "end of file before a frame";
    EXPECT_FALSE(readAfter({'O', 'X', 'I'})) << "end of file inside the header";
    EXPECT_FALSE(readAfter(header(0x5549584E, quantize, 0))) << "wrong magic";
    EXPECT_FALSE(readAfter(header(frameMagic, 0, 0))) << "type 0";
    EXPECT_FALSE(readAfter(header(frameMagic, 7, 0))) << "type beyond the last";
    EXPECT_FALSE(readAfter(header(frameMagic, quantize, maxPayloadSize + 1)))
        << "a payload beyond the limit";

    Bytes cut = header(frameMagic, quantize, 100);
    cut.resize(cut.size() + 99, 0);
    EXPECT_FALSE(readAfter(cut)) << "end of file one byte short";
    cut.push_back(0);
    EXPECT_TRUE(readAfter(cut));

    // Announcing the largest payload and sending little must fail at the end of the stream
    // without first allocating for what never came: the buffer stays near what arrived.
    Bytes greedy = header(frameMagic, quantize, maxPayloadSize);
    greedy.resize(greedy.size() + 1000, 0);
    EXPECT_FALSE(readAfter(greedy));
}

// A figure of /proc/self/status in KiB ("VmRSS", "VmHWM").
std::optional<std::size_t> memoryFigure(const std::string& name) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(name + ":", 0) == 0) {
            return std::stoul(line.substr(name.size() + 1));
        }
    }
    return std::nullopt;
}

TEST(ImageUtilsProtocol, ReadFrameCommitsMemoryOnlyForWhatArrives) {
    // Resetting the peak resident size needs a kernel that allows it.
    std::ofstream reset("/proc/self/clear_refs");
    reset << "5" << std::flush;
    if (!reset) {
        GTEST_SKIP() << "the peak resident size cannot be reset here";
    }
    SocketPair pair;
    Bytes greedy =
        header(frameMagic, static_cast<std::uint8_t>(MessageType::zopfliRequest), maxPayloadSize);
    greedy.resize(greedy.size() + 1000, 0);
    pair.send(greedy);
    pair.closeEnd(1);
    const auto before = memoryFigure("VmRSS");
    EXPECT_FALSE(readFrame(pair.ends[0]));
    const auto peak = memoryFigure("VmHWM");
    ASSERT_TRUE(before && peak);
    EXPECT_LT(*peak, *before + 4096) << "KiB resident at the peak, from " << *before;
}

TEST(ImageUtilsProtocol, ReadFrameGathersPayloadsLargerThanItsSteps) {
    // Across the growing steps of the buffer, every byte lands where it was sent.
    Bytes payload(20u << 20);
    for (std::size_t index = 0; index < payload.size(); ++index) {
        payload[index] = static_cast<std::uint8_t>(index * 7 + index / 65536);
    }
    SocketPair pair;
    std::thread writer([&] {
        EXPECT_TRUE(writeFrame(pair.ends[1], {MessageType::zopfliRequest, payload}));
        pair.closeEnd(1);
    });
    const auto frame = readFrame(pair.ends[0]);
    writer.join();
    ASSERT_TRUE(frame);
    EXPECT_TRUE(frame->payload == payload);
}

TEST(ImageUtilsProtocol, WritingToAClosedPeerFailsWithoutSignal) {
    SocketPair pair;
    pair.closeEnd(0);
    EXPECT_FALSE(writeFrame(pair.ends[1], ZopfliRequest{Bytes(1 << 20, 7)}.encode()));
    EXPECT_FALSE(writeFrame(pair.ends[1], {MessageType::terminateRequest, {}}));
}

} // namespace
} // namespace orlix::imageutils
