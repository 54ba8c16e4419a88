// The activity rows' thumbnails: the file decoded by the export's loader, scaled to cover the
// thumbnail box and redrawn as RGBA.
#include "BitmapPromises.h"
#include "Require.h"
#include "ScratchFolder.h"

#include "TaskProcessing/ThumbnailCache.h"

using namespace orlix;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto path = fuzzing::ScratchFolder::writeFile("input.png", {data, size});
    const auto thumbnail =
        ThumbnailCache::imageThumbnail(Url::fileUrl(path), ThumbnailCache::thumbnailSide);
    if (!thumbnail) {
        return 0;
    }
    fuzzing::require(thumbnail->info() == CoarseBitmapInfo::rgbaSRGB(), "an RGBA thumbnail");
    fuzzing::requireSoundBitmap(*thumbnail);
    return 0;
}
