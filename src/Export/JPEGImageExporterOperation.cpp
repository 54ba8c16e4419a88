#include "Export/JPEGImageExporterOperation.h"

#include "Export/ExportFileWriter.h"
#include "Export/JPEGCompressor.h"
#include "Export/JPEGQualityCalculator.h"
#include "Model/ImageFileType.h"
#include "Platform/UserDefaults.h"
#include "Shared/SharedDefinitions.h"

#include <algorithm>

namespace orlix {

JPEGImageExporterOperation::JPEGImageExporterOperation(std::shared_ptr<ImageExportItem> exportItem,
                                                       JPEGExportConfig jpegExportConfig,
                                                       StatusUpdater statusUpdater)
    : exportItem_(std::move(exportItem))
    , jpegExportConfig_(jpegExportConfig)
    , statusUpdater_(std::move(statusUpdater)) {}

void JPEGImageExporterOperation::cancel() {
    report(JPEGExportStatus::of(JPEGExportStatus::Kind::cancelled));
    exportItem_->complete(CancellableResult::cancelled(), std::nullopt);
    Operation::cancel();
}

void JPEGImageExporterOperation::main() {
    exportItem_->began();
    exportImage();
}

void JPEGImageExporterOperation::report(const JPEGExportStatus& status) const {
    if (statusUpdater_) {
        statusUpdater_(status);
    }
}

void JPEGImageExporterOperation::fail(JPEGExportError::Kind kind,
                                      std::optional<std::string> explanation) {
    const JPEGExportError error{kind, std::move(explanation)};
    report(JPEGExportStatus::failed(error));
    exportItem_->complete(CancellableResult::failure(error), std::nullopt);
}

void JPEGImageExporterOperation::stopAsCancelled() {
    report(JPEGExportStatus::of(JPEGExportStatus::Kind::cancelled));
    exportItem_->complete(CancellableResult::cancelled(), std::nullopt);
}

bool JPEGImageExporterOperation::isNoResizeNoResolution() const {
    const auto& size = exportItem_->exportSize();
    return size.resizeConfig.kind() == ResizeConfig::Kind::none &&
           size.resolutionType.kind() == ExportSize::ResolutionType::Kind::none;
}

std::uint8_t JPEGImageExporterOperation::quality(const BitmapImageRepWithMetadata& image) const {
    const auto defaults = UserDefaults::standardUserDefaults();
    if (defaults->objectForKey(forcedJPEGQualityDefaultsKey)) {
        return std::uint8_t(std::clamp<std::int64_t>(
            defaults->integerForKey(forcedJPEGQualityDefaultsKey), 0, 100));
    }
    return JPEGQualityCalculator(image.bitmapImageRep(), image.metadata()).automaticJPEGQuality();
}

void JPEGImageExporterOperation::exportImage() {
    using Error = JPEGExportError::Kind;
    using Status = JPEGExportStatus::Kind;
    if (isCancelled()) {
        return stopAsCancelled();
    }
    report(JPEGExportStatus::of(Status::readingImage));
    const auto resized = exportItem_->resizedImageRepWithMetadata();
    if (!resized) {
        const auto kind = resized.error().kind;
        const bool tooLarge = kind == CreateAndResizeError::Kind::resultSizeLargerThanSourceSize ||
                              kind == CreateAndResizeError::Kind::noValidSizeAvailable;
        return fail(tooLarge ? Error::resizedImageIsLargerThanSourceImage
                             : Error::imageReadResizeFailed);
    }
    const auto& image = **resized;
    const auto& bitmap = *image.bitmapImageRep();
    if (bitmap.byteCount() == 0) {
        return fail(Error::imageReadResizeFailed);
    }
    if (!isNoResizeNoResolution() && image.isLargerThanSource()) {
        return fail(Error::resizedImageIsLargerThanSourceImage);
    }
    if (isCancelled()) {
        return stopAsCancelled();
    }
    report(JPEGExportStatus::of(Status::analyzingImage));
    const auto chosenQuality = quality(image);
    if (isCancelled()) {
        return stopAsCancelled();
    }
    report(JPEGExportStatus::of(Status::generatingJPEG));
    // The bitmap's rows are packed, so its bytes are the encoder's input as they stand.
    const auto encoded = compressJPEG(
        {bitmap.data(), bitmap.byteCount()}, chosenQuality, bitmap.pixelsWide(),
        bitmap.pixelsHigh(), image.metadata().greyscale, image.metadata().hasAlpha,
        image.metadata().pixelDensity.xDensity, image.metadata().pixelDensity.yDensity);
    if (!encoded) {
        return fail(Error::jpegCreationFailed);
    }
    exportItem_->setExportedFileSize(encoded->size());
    // Re-encoding a JPEG as it is only helps when the file gets smaller; asked-for sizes and
    // other input formats are written whatever their size.
    if (isNoResizeNoResolution() && ImageFileType::isJPEGFile(exportItem_->url()) &&
        exportItem_->savedBytes() < 1) {
        return fail(Error::resultFileSizeLargerThanSourceFileSize);
    }
    if (isCancelled()) {
        return stopAsCancelled();
    }
    report(JPEGExportStatus::of(Status::writingFile));
    const auto result =
        ExportFileWriter::write(*encoded, exportItem_->url(), "jpg",
                                ExportFileWriter::suffixes(exportItem_->outputResolution()));
    if (const auto* failure = std::get_if<ExportResult::Failure>(&result.value)) {
        return fail(Error::fileWriteFailed, failure->explanation);
    }
    const auto& success = std::get<ExportResult::Success>(result.value);
    report(JPEGExportStatus::succeeded(success.exportUrl, exportItem_->reductionPercentage()));
    exportItem_->complete(CancellableResult::success(), success.exportUrl);
}

} // namespace orlix
