// orlix-image-utils' side of the socket: a connection's bytes read as a request frame and
// answered as the service answers it (quantisation or Zopfli recompression). Whatever arrives,
// an answer is a well-formed reply of the matching type, and a palette fits the request's image.
#include "FrameFeed.h"
#include "Require.h"

#include "ImageUtilsService/ImageUtilsServer.h"

#include <algorithm>

using namespace orlix;
using namespace orlix::imageutils;

namespace {

void requireFittingPalette(const QuantizeRequest& request, const QuantizeReply& reply) {
    if (!reply.hasResult) {
        return;
    }
    const std::size_t entries = reply.palette.size() / 4;
    // The service makes between 2 and 256 colours of whatever size is asked.
    const std::size_t most = std::clamp<std::size_t>(request.paletteSize, 2, 256);
    fuzzing::require(reply.palette.size() % 4 == 0 && entries >= 1 && entries <= most,
                     "a palette of whole entries, no larger than asked");
    fuzzing::require(reply.palettizedPixels.size() == std::size_t{request.width} * request.height,
                     "one index per pixel");
    fuzzing::require(std::all_of(reply.palettizedPixels.begin(), reply.palettizedPixels.end(),
                                 [&](std::uint8_t index) { return index < entries; }),
                     "every index inside the palette");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto request = fuzzing::FrameFeed::read({data, size});
    // Terminate ends the process; it carries nothing to parse.
    if (!request || request->type == MessageType::terminateRequest) {
        return 0;
    }
    const auto answer = ImageUtilsServer::answer(*request);
    if (!answer) {
        return 0;
    }
    fuzzing::require(replyTypeFor(request->type) == answer->type, "the reply answers the request");
    if (answer->type == MessageType::quantizeReply) {
        const auto reply = QuantizeReply::decode(*answer);
        fuzzing::require(reply.has_value(), "a well-formed quantise reply");
        requireFittingPalette(*QuantizeRequest::decode(*request), *reply);
    } else {
        fuzzing::require(ZopfliReply::decode(*answer).has_value(), "a well-formed Zopfli reply");
    }
    return 0;
}
