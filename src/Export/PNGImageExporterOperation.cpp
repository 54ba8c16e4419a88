#include "Export/PNGImageExporterOperation.h"

#include "Export/Codec/PNGWriter.h"
#include "Export/ImageUtilsClient.h"

#include <cstdlib>
#include <memory>

namespace orlix {

void PNGImageExporterOperation::exportImage() {
    auto image = readImage();
    if (!image) {
        return;
    }
    report(PNGExportStatus::Kind::optimizingImage);
    if (image->metadata().greyscale && !image->metadata().hasAlpha) {
        return exportGrey(*image);
    }
    exportQuantized(std::move(image));
}

void PNGImageExporterOperation::exportGrey(const BitmapImageRepWithMetadata& image) {
    report(PNGExportStatus::Kind::generatingPNG);
    const auto& bitmap = *image.bitmapImageRep();
    const auto& density = image.metadata().pixelDensity;
    std::uint8_t* data = nullptr;
    std::uint32_t length = 0;
    const bool succeeded = encodeGrayPNG(bitmap.data(), bitmap.pixelsWide(), bitmap.pixelsHigh(),
                                         &data, &length, density.xDensity, density.yDensity);
    encoded(succeeded, data, length);
}

void PNGImageExporterOperation::exportQuantized(
    std::shared_ptr<const BitmapImageRepWithMetadata> image) {
    const PixelDensity density = image->metadata().pixelDensity;
    auto bitmap = image->bitmapImageRep();
    // The client lets the pixels go once its request carries them, and nothing else holds them
    // by then: the service's work is the longest wait of the export.
    image.reset();
    exportItem()->releaseResizedImage();
    const auto result = ImageUtilsClient::quantize(std::move(bitmap), pngExportConfig_,
                                                   [this] { return !isCancelled(); });
    quantizationEnded(result, density);
}

void PNGImageExporterOperation::quantizationEnded(const QuantizationResult& result,
                                                  const PixelDensity& density) {
    switch (result.result.kind()) {
    case CancellableResult::Kind::cancelled:
        return endCancelled();
    case CancellableResult::Kind::failure:
        return fail(PNGExportError::Kind::pngOptimizationFailed);
    case CancellableResult::Kind::success:
        break;
    }
    report(PNGExportStatus::Kind::generatingPNG);
    std::uint8_t* data = nullptr;
    std::uint32_t length = 0;
    const bool succeeded =
        encodeIndexedPNG(result.palettizedPixels.data(), result.palette.data(), result.paletteSize,
                         std::uint32_t(result.width), std::uint32_t(result.height), &data, &length,
                         density.xDensity, density.yDensity);
    encoded(succeeded, data, length);
}

void PNGImageExporterOperation::encoded(bool succeeded, std::uint8_t* data, std::uint32_t length) {
    const std::unique_ptr<std::uint8_t, decltype(&std::free)> owned(data, &std::free);
    if (!succeeded || data == nullptr || length == 0) {
        return fail(PNGExportError::Kind::pngGenerationFailed);
    }
    const std::span<const std::uint8_t> png(data, length);
    if (!pngExportConfig_.useZopfli) {
        return finish(png);
    }
    report(PNGExportStatus::Kind::optimizingPNG);
    const auto recompressed = ImageUtilsClient::zopfli(png, [this] { return !isCancelled(); });
    switch (recompressed.kind) {
    case ImageUtilsClient::ZopfliResult::Kind::success:
        return finish(recompressed.data);
    case ImageUtilsClient::ZopfliResult::Kind::cancelled:
        return endCancelled();
    case ImageUtilsClient::ZopfliResult::Kind::failure:
        break;
    }
    fail(PNGExportError::Kind::pngGenerationFailed);
}

void PNGImageExporterOperation::finish(std::span<const std::uint8_t> png) {
    write(png, ImageFileType::isPNGFile(exportItem()->url()), "png");
}

} // namespace orlix
