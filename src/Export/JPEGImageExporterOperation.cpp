#include "Export/JPEGImageExporterOperation.h"

#include "Export/JPEGCompressor.h"
#include "Export/JPEGQualityCalculator.h"
#include "Platform/LargeMemory.h"
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
    auto image = readImage();
    if (!image) {
        return;
    }
    report(Status::analyzingImage);
    const auto chosenQuality = quality(*image);
    if (isCancelled()) {
        return endCancelled();
    }
    report(Status::generatingJPEG);
    const auto metadata = image->metadata();
    auto bitmap = image->bitmapImageRep();
    // Nothing reads the pixels after the encoder: unless something else holds them, the rows it
    // has taken in go back to the system while it fills its coefficients, so the two need not be
    // held whole at once, nor their memory be fresh.
    image.reset();
    exportItem()->releaseResizedImage();
    std::uint32_t released = 0;
    // A huge page's worth at a time, so that each return is whole pages, few of them split.
    const auto rowsAtOnce = std::max<std::uint32_t>(
        1, std::uint32_t(LargeMemory::hugePageSize / bitmap->bytesPerRow()));
    const auto rowsTaken = [&](std::uint32_t taken) {
        if (taken - released >= rowsAtOnce || taken == bitmap->pixelsHigh()) {
            BitmapImageRep::discardRows(bitmap, released, taken);
            released = taken;
        }
    };
    // The bitmap's rows are packed, so its bytes are the encoder's input as they stand.
    const auto encoded =
        compressJPEG({bitmap->data(), bitmap->byteCount()}, chosenQuality, bitmap->pixelsWide(),
                     bitmap->pixelsHigh(), metadata.greyscale, metadata.hasAlpha,
                     metadata.pixelDensity.xDensity, metadata.pixelDensity.yDensity, rowsTaken);
    if (!encoded) {
        return fail(JPEGExportError::Kind::jpegCreationFailed);
    }
    write(*encoded, ImageFileType::isJPEGFile(exportItem()->url()), "jpg");
}

} // namespace orlix
