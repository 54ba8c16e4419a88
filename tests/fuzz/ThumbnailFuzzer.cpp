// The activity rows' thumbnails: the file decoded by the export's loader, scaled to cover the
// thumbnail box and redrawn as RGBA. A PNG's is averaged down as it is read, and must be exactly
// the one its whole decode gives.
#include "BitmapPromises.h"
#include "Require.h"
#include "ScratchFolder.h"

#include "Support/WholeDecodeThumbnail.h"
#include "TaskProcessing/ThumbnailCache.h"

#include <algorithm>

using namespace orlix;

namespace {

bool isPNG(const std::uint8_t* data, std::size_t size) {
    constexpr std::uint8_t signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    return size >= sizeof signature && std::equal(signature, signature + sizeof signature, data);
}

bool same(const BitmapImageRep* first, const BitmapImageRep* second) {
    if (first == nullptr || second == nullptr) {
        return first == second;
    }
    return first->pixelsWide() == second->pixelsWide() &&
           first->pixelsHigh() == second->pixelsHigh() && first->info() == second->info() &&
           std::equal(first->data(), first->data() + first->byteCount(), second->data());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto path = fuzzing::ScratchFolder::writeFile("input.png", {data, size});
    const auto thumbnail =
        ThumbnailCache::imageThumbnail(Url::fileUrl(path), ThumbnailCache::thumbnailSide);
    if (isPNG(data, size)) {
        fuzzing::require(
            same(thumbnail.get(),
                 testing::WholeDecodeThumbnail::of(path, ThumbnailCache::thumbnailSide).get()),
            "a PNG's thumbnail is its whole decode's");
    }
    if (!thumbnail) {
        return 0;
    }
    fuzzing::require(thumbnail->info() == CoarseBitmapInfo::rgbaSRGB(), "an RGBA thumbnail");
    fuzzing::requireSoundBitmap(*thumbnail);
    return 0;
}
