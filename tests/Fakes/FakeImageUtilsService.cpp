// A stand-in for orlix-image-utils that answers quantise and Zopfli requests with the broken or
// odd replies named by ORLIX_FAKE_REPLY, so that tests can see what the client makes of them.
// Everything else is answered as the real service answers it; with ORLIX_FAKE_GATE set, only once
// the file it names exists.

#include "Export/ImageUtilsProtocol.h"
#include "ImageUtilsService/ImageUtilsServer.h"
#include "ImageUtilsService/ServiceArguments.h"

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

namespace {

using namespace orlix::imageutils;

// A reply that claims success with a palette of `entries` colours and `indexCount` indices, all
// 0 unless `index` says otherwise.
Frame quantizeReply(std::size_t paletteBytes, std::size_t indexCount, std::uint8_t index = 0,
                    bool success = true) {
    QuantizeReply reply;
    reply.hasResult = true;
    reply.success = success;
    reply.palette.assign(paletteBytes, 200);
    reply.palettizedPixels.assign(indexCount, index);
    return reply.encode();
}

// Adds this process to the list in `mark`, a line per request it got.
void markRequest(const std::string& mark) {
    std::ofstream(mark, std::ios::app) << ::getpid() << '\n';
}

// Tells the test that a request has arrived, and which process to kill, then keeps the caller
// waiting.
std::optional<Frame> hang(const Frame& request) {
    if (const char* mark = std::getenv("ORLIX_FAKE_MARK")) {
        markRequest(mark);
    }
    std::this_thread::sleep_for(std::chrono::minutes(1));
    return orlix::ImageUtilsServer::answer(request);
}

// Tells the test that a request is held, and by which process, then answers it once the test
// opens the gate (or after a minute).
std::optional<Frame> heldAtGate(const Frame& request, const std::string& gate) {
    markRequest(gate + ".held");
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (!std::filesystem::exists(gate) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return orlix::ImageUtilsServer::answer(request);
}

std::optional<Frame> answer(const Frame& request, const std::string& kind) {
    if (kind == "slow") {
        // Long enough for a client that checks often to look many times at a service that works.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        return orlix::ImageUtilsServer::answer(request);
    }
    if ((kind == "hang-quantize" && request.type == MessageType::quantizeRequest) ||
        (kind == "hang-zopfli" && request.type == MessageType::zopfliRequest)) {
        return hang(request);
    }
    if (const char* gate = std::getenv("ORLIX_FAKE_GATE")) {
        return heldAtGate(request, gate);
    }
    if (request.type == MessageType::zopfliRequest && kind == "zopfli-failure") {
        return ZopfliReply{false, {}}.encode();
    }
    const auto quantize = QuantizeRequest::decode(request);
    if (!quantize) {
        return orlix::ImageUtilsServer::answer(request);
    }
    const std::size_t pixels = std::size_t(quantize->width) * quantize->height;
    if (kind == "palette-of-10") {
        return quantizeReply(40, pixels, 9, false);
    }
    if (kind == "no-result") {
        return QuantizeReply{}.encode();
    }
    if (kind == "short-indices") {
        return quantizeReply(40, pixels - 1);
    }
    if (kind == "long-indices") {
        return quantizeReply(40, pixels + 1);
    }
    if (kind == "ragged-palette") {
        return quantizeReply(41, pixels);
    }
    if (kind == "index-past-palette") {
        return quantizeReply(40, pixels, 10);
    }
    if (kind == "palette-of-300") {
        return quantizeReply(1200, pixels);
    }
    if (kind == "broken-frame") {
        return Frame{MessageType::quantizeReply, {1, 1, 255, 255}};
    }
    return orlix::ImageUtilsServer::answer(request);
}

} // namespace

int main(int argc, char** argv) {
    const auto arguments = orlix::ServiceArguments::parse(argc, argv);
    if (!arguments) {
        return 2;
    }
    const char* kind = std::getenv("ORLIX_FAKE_REPLY");
    const std::string chosen = kind != nullptr ? kind : "";
    return orlix::ImageUtilsServer(
               arguments->socketPath, arguments->parent,
               [chosen](const Frame& request) { return answer(request, chosen); })
        .run();
}
