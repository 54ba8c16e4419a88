// The export's reading of an input file: recognised by content, PNG or JPEG, refused above the
// pixel limit, colour profiles converted and the EXIF orientation applied.
#include "BitmapPromises.h"
#include "Require.h"
#include "ScratchFolder.h"

#include "Export/BitmapImageRepWithMetadata.h"

#include <cmath>

using namespace orlix;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // No extension: the decoder must go by the content alone.
    const auto path = fuzzing::ScratchFolder::writeFile("input", {data, size});
    const auto loaded = BitmapImageRepWithMetadata::load(Url::fileUrl(path));
    if (!loaded) {
        return 0;
    }
    fuzzing::require(loaded->bitmapImageRep() != nullptr, "a loaded image has a bitmap");
    const auto& bitmap = *loaded->bitmapImageRep();
    fuzzing::requireSoundBitmap(bitmap);
    const auto& metadata = loaded->metadata();
    fuzzing::require(metadata.greyscale == bitmap.isGreyscale() &&
                         metadata.hasAlpha == bitmap.hasAlpha(),
                     "metadata describes the bitmap");
    const auto density = metadata.pixelDensity;
    fuzzing::require(std::isfinite(density.xDensity) && density.xDensity > 0 &&
                         std::isfinite(density.yDensity) && density.yDensity > 0,
                     "a usable density");
    fuzzing::require(metadata.sourceSize && std::isfinite(metadata.sourceSize->width) &&
                         std::isfinite(metadata.sourceSize->height),
                     "a finite size in points");
    // The size the export compares its outputs with must give back the decoded pixels.
    const auto source = loaded->sourcePixelSize();
    fuzzing::require(source && source->width == bitmap.pixelsWide() &&
                         source->height == bitmap.pixelsHigh(),
                     "the source size is the bitmap's");
    return 0;
}
