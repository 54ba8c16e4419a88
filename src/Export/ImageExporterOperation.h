#pragma once

#include "Export/Codec/ImageHeader.h"
#include "Export/ExportFileWriter.h"
#include "Export/ExportMemoryBudget.h"
#include "Export/ImageExportItem.h"
#include "Platform/Operation.h"
#include "Shared/ImageFileType.h"

#include <functional>
#include <memory>
#include <span>

namespace orlix {

// The skeleton the PNG and JPEG export operations share: statuses, the end of an export, reading
// the bitmap and writing the file. `Status` is the format's status value, whose `Error` is the
// format's error value; both formats spell their common cases alike.
template <typename Status> class ImageExporterOperation : public Operation {
public:
    using StatusUpdater = std::function<void(const Status&)>;
    using Error = typename Status::Error;

    ImageExporterOperation(std::shared_ptr<ImageExportItem> exportItem, StatusUpdater statusUpdater)
        : exportItem_(std::move(exportItem))
        , statusUpdater_(std::move(statusUpdater)) {}

    // Reports the cancel and completes the item at once, whatever the pipeline is doing; a
    // running pipeline stops at its next check and reports again.
    void cancel() override {
        endCancelled();
        Operation::cancel();
    }

protected:
    void main() override {
        // Memory is asked for before the image is read: its pixels are most of what an export
        // takes. A cancel while waiting has already ended the export.
        const auto admission = ExportMemoryBudget::shared()->admit(
            memoryEstimate(), [this] { return !isCancelled(); });
        if (!admission) {
            return;
        }
        exportItem_->began();
        exportImage();
    }

    virtual void exportImage() = 0;
    // The most memory the export, the service's work for it included, keeps at once for each
    // pixel of its source image.
    virtual std::uint64_t memoryPerSourcePixel() const = 0;

    const std::shared_ptr<ImageExportItem>& exportItem() const { return exportItem_; }

    void report(typename Status::Kind kind) const { report(Status::of(kind)); }
    void report(const Status& status) const {
        if (statusUpdater_) {
            statusUpdater_(status);
        }
    }

    void fail(typename Error::Kind kind, std::optional<std::string> explanation = std::nullopt) {
        const Error error{kind, std::move(explanation)};
        report(Status::failed(error));
        exportItem_->complete(CancellableResult::failure(error), std::nullopt);
    }

    void endCancelled() {
        report(Status::Kind::cancelled);
        exportItem_->complete(CancellableResult::cancelled(), std::nullopt);
    }

    // The output asks for nothing but a smaller file: no resize and no resolution.
    bool isNoResizeNoResolution() const {
        const auto& size = exportItem_->exportSize();
        return size.resizeConfig.kind() == ResizeConfig::Kind::none &&
               size.resolutionType.kind() == ExportSize::ResolutionType::Kind::none;
    }

    // The bitmap to encode, after the size checks; nullptr when the export has ended, failed or
    // cancelled before or right after reading.
    std::shared_ptr<const BitmapImageRepWithMetadata> readImage() {
        if (isCancelled()) {
            endCancelled();
            return nullptr;
        }
        const auto image = readCheckedImage();
        if (image && isCancelled()) {
            endCancelled();
            return nullptr;
        }
        return image;
    }

private:
    std::uint64_t memoryEstimate() const {
        const auto size = ImageHeader::pixelSize(exportItem_->url().path());
        // A picture over the limit is refused before anything is allocated.
        if (!size || size->area() > BitmapImageRep::maximumPixelCount) {
            return 0;
        }
        return size->area() * memoryPerSourcePixel();
    }

    std::shared_ptr<const BitmapImageRepWithMetadata> readCheckedImage() {
        report(Status::Kind::readingImage);
        const auto resized = exportItem_->resizedImageRepWithMetadata();
        if (!resized) {
            const auto kind = resized.error().kind;
            const bool tooLarge =
                kind == CreateAndResizeError::Kind::resultSizeLargerThanSourceSize ||
                kind == CreateAndResizeError::Kind::noValidSizeAvailable;
            fail(tooLarge ? Error::Kind::resizedImageIsLargerThanSourceImage
                          : Error::Kind::imageReadResizeFailed);
            return nullptr;
        }
        const auto& image = *resized;
        if (image->bitmapImageRep()->byteCount() == 0) {
            fail(Error::Kind::imageReadResizeFailed);
            return nullptr;
        }
        if (!isNoResizeNoResolution() && image->isLargerThanSource()) {
            fail(Error::Kind::resizedImageIsLargerThanSourceImage);
            return nullptr;
        }
        return image;
    }

protected:
    // Writes the finished file beside the input. Re-encoding an input in its own format without
    // resizing must make it smaller; asked-for sizes and other input formats are written whatever
    // their size. `isSameFormat` tells whether the input is of the output's format.
    void write(std::span<const std::uint8_t> data, bool isSameFormat, std::string_view extension) {
        exportItem_->setExportedFileSize(data.size());
        if (isNoResizeNoResolution() && isSameFormat && exportItem_->savedBytes() < 1) {
            return fail(Error::Kind::resultFileSizeLargerThanSourceFileSize);
        }
        if (isCancelled()) {
            return endCancelled();
        }
        report(Status::Kind::writingFile);
        const auto result =
            ExportFileWriter::write(data, exportItem_->url(), extension,
                                    ExportFileWriter::suffixes(exportItem_->outputResolution()));
        if (const auto* failure = std::get_if<ExportResult::Failure>(&result.value)) {
            return fail(Error::Kind::fileWriteFailed, failure->explanation);
        }
        const auto& success = std::get<ExportResult::Success>(result.value);
        report(Status::succeeded(success.exportUrl, exportItem_->reductionPercentage()));
        exportItem_->complete(CancellableResult::success(), success.exportUrl);
    }

private:
    const std::shared_ptr<ImageExportItem> exportItem_;
    const StatusUpdater statusUpdater_;
};

} // namespace orlix
