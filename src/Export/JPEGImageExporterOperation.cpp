#include "Export/JPEGImageExporterOperation.h"

#include "Export/JPEGCompressor.h"
#include "Export/JPEGQualityCalculator.h"
#include "Platform/UserDefaults.h"
#include "Shared/SharedDefinitions.h"

#include <algorithm>

namespace orlix {

std::uint8_t JPEGImageExporterOperation::quality(const BitmapImageRepWithMetadata& image) {
    const auto defaults = UserDefaults::standardUserDefaults();
    if (defaults->objectForKey(forcedJPEGQualityDefaultsKey)) {
        return std::uint8_t(std::clamp<std::int64_t>(
            defaults->integerForKey(forcedJPEGQualityDefaultsKey), 0, 100));
    }
    return JPEGQualityCalculator(image.bitmapImageRep(), image.metadata()).automaticJPEGQuality();
}

void JPEGImageExporterOperation::exportImage() {
    using Status = JPEGExportStatus::Kind;
    const auto image = readImage();
    if (!image) {
        return;
    }
    report(Status::analyzingImage);
    const auto chosenQuality = quality(*image);
    if (isCancelled()) {
        return endCancelled();
    }
    report(Status::generatingJPEG);
    // The bitmap's rows are packed, so its bytes are the encoder's input as they stand.
    const auto& bitmap = *image->bitmapImageRep();
    const auto& metadata = image->metadata();
    const auto encoded =
        compressJPEG({bitmap.data(), bitmap.byteCount()}, chosenQuality, bitmap.pixelsWide(),
                     bitmap.pixelsHigh(), metadata.greyscale, metadata.hasAlpha,
                     metadata.pixelDensity.xDensity, metadata.pixelDensity.yDensity);
    if (!encoded) {
        return fail(JPEGExportError::Kind::jpegCreationFailed);
    }
    write(*encoded, ImageFileType::isJPEGFile(exportItem()->url()), "jpg");
}

} // namespace orlix
