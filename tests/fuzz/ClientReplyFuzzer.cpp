// The export engine's side of the socket: a reply frame from a service that cannot be trusted,
// taken in as the client takes it. The first two bytes give the size of the image the reply is
// meant to answer; the rest arrives on the socket.
#include "FrameFeed.h"
#include "Require.h"

#include "Export/ImageUtilsClient.h"

#include <algorithm>

using namespace orlix;
using namespace orlix::imageutils;

namespace {

void requireUsableQuantization(const QuantizationResult& result, ImagePixelSize size) {
    if (result.result.kind() != CancellableResult::Kind::success) {
        return;
    }
    const std::size_t entries = result.palette.size() / 4;
    fuzzing::require(result.width == std::int64_t{size.width} &&
                         result.height == std::int64_t{size.height},
                     "the result has the image's size");
    fuzzing::require(result.palette.size() % 4 == 0 && entries >= 1 &&
                         result.paletteSize == entries,
                     "a palette of whole entries");
    fuzzing::require(result.palettizedPixels.size() == size.area(), "one index per pixel");
    fuzzing::require(std::all_of(result.palettizedPixels.begin(), result.palettizedPixels.end(),
                                 [&](std::uint8_t index) { return index < entries; }),
                     "every index inside the palette");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    const ImagePixelSize imageSize{data[0] % 64u + 1, data[1] % 64u + 1};
    const auto answer = fuzzing::FrameFeed::read({data + 2, size - 2});
    if (!answer) {
        return 0;
    }
    requireUsableQuantization(ImageUtilsClient::quantizationFromReply(*answer, imageSize, nullptr),
                              imageSize);
    const auto recompressed = ImageUtilsClient::zopfliFromReply(*answer, nullptr);
    fuzzing::require(recompressed.kind != ImageUtilsClient::ZopfliResult::Kind::success ||
                         !recompressed.data.empty(),
                     "a recompression result holds a file");
    return 0;
}
