#include "Export/ImageExportItem.h"

#include "Export/BitmapResize.h"
#include "Platform/MainQueue.h"

#include <sys/stat.h>

namespace orlix {

ImageExportItem::ImageExportItem(Uuid identifier, Url url, ExportSize exportSize,
                                 BeganHandler beganHandler, CompletionHandler completionHandler)
    : identifier_(identifier)
    , url_(std::move(url))
    , exportSize_(std::move(exportSize))
    , beganHandler_(std::move(beganHandler))
    , completionHandler_(std::move(completionHandler)) {}

std::optional<OutputResolution> ImageExportItem::outputResolution() {
    // Only a variable size needs the image; the others never load it for this.
    const bool variable = exportSize_.resolutionType.kind() ==
                          ExportSize::ResolutionType::Kind::variableForSourceSizeAndMaxSize;
    return resolutionFor(variable ? sourcePixelSize() : std::nullopt);
}

std::optional<OutputResolution>
ImageExportItem::resolutionFor(std::optional<ImagePixelSize> source) const {
    const auto& type = exportSize_.resolutionType;
    switch (type.kind()) {
    case ExportSize::ResolutionType::Kind::fixed:
        return type.resolution();
    case ExportSize::ResolutionType::Kind::variableForSourceSizeAndMaxSize:
        // The source is both the size to resize and the largest size allowed.
        return source ? type.resolver()(*source, *source) : std::nullopt;
    case ExportSize::ResolutionType::Kind::none:
        break;
    }
    return std::nullopt;
}

std::optional<ImagePixelSize> ImageExportItem::sourcePixelSize() {
    // Known once the image was read, also after its bitmap has gone.
    if (const auto info = exportImageInfo()) {
        return info->sourcePixelSize;
    }
    const auto image = resizedImageRepWithMetadata();
    if (image) {
        return (*image)->sourcePixelSize();
    }
    if (image.error().kind == CreateAndResizeError::Kind::resultSizeLargerThanSourceSize) {
        return image.error().sourceSize;
    }
    return std::nullopt;
}

ImageExportItem::ResizedImage ImageExportItem::resizedImageRepWithMetadata() {
    {
        std::lock_guard lock(mutex_);
        if (resized_) {
            return resized_;
        }
    }
    auto image = computeResizedImage();
    if (image) {
        {
            std::lock_guard lock(mutex_);
            resized_ = *image;
        }
        updateExportImageInfo();
        return image;
    }
    const auto& error = image.error();
    if (error.kind == CreateAndResizeError::Kind::resultSizeLargerThanSourceSize) {
        // Tell the row why, before the failure ends the export.
        publish({error.sourceSize, error.resultSize, resolutionFor(error.sourceSize)});
    }
    return image;
}

void ImageExportItem::releaseResizedImage() {
    std::shared_ptr<const BitmapImageRepWithMetadata> released;
    std::lock_guard lock(mutex_);
    released.swap(resized_);
}

ImageExportItem::ResizedImage ImageExportItem::computeResizedImage() {
    const auto& type = exportSize_.resolutionType;
    const auto& resize = exportSize_.resizeConfig;
    switch (type.kind()) {
    case ExportSize::ResolutionType::Kind::fixed:
        return BitmapImageRepWithMetadata::createAndResize(url_, resize, type.resizeMultiplier(),
                                                           false);
    case ExportSize::ResolutionType::Kind::none:
        return BitmapImageRepWithMetadata::createAndResize(url_, resize, std::nullopt, false);
    case ExportSize::ResolutionType::Kind::variableForSourceSizeAndMaxSize:
        break;
    }
    const auto loaded = BitmapImageRepWithMetadata::load(url_);
    if (!loaded) {
        return CreateAndResizeError::couldNotCreate();
    }
    const auto& bitmap = loaded->bitmapImageRep();
    const ImagePixelSize pixels{bitmap->pixelsWide(), bitmap->pixelsHigh()};
    // The resolver only answers resolutions whose area fits the source, so no size test follows.
    const auto resolution = type.resolver()(pixels, pixels);
    if (!resolution) {
        return CreateAndResizeError::noValidSizeAvailable();
    }
    auto resized = BitmapResize::resized(bitmap, resize, multiplier(*resolution));
    if (!resized) {
        return CreateAndResizeError::couldNotResize();
    }
    return std::make_shared<const BitmapImageRepWithMetadata>(std::move(resized),
                                                              loaded->metadata());
}

void ImageExportItem::updateExportImageInfo() {
    std::shared_ptr<const BitmapImageRepWithMetadata> image;
    {
        std::lock_guard lock(mutex_);
        image = resized_;
    }
    const auto& bitmap = *image->bitmapImageRep();
    const auto source = image->sourcePixelSize();
    publish(
        {source, ImagePixelSize{bitmap.pixelsWide(), bitmap.pixelsHigh()}, resolutionFor(source)});
}

void ImageExportItem::publish(ExportImageInfo info) {
    {
        std::lock_guard lock(mutex_);
        exportImageInfo_ = info;
    }
    MainQueue::async([slot = imageInfoUpdater_, info] {
        ImageInfoUpdater updater;
        {
            std::lock_guard lock(slot->mutex);
            updater = slot->updater;
        }
        if (updater) {
            updater(info);
        }
    });
}

void ImageExportItem::began() {
    if (beganHandler_) {
        MainQueue::async(
            [handler = beganHandler_, identifier = identifier_] { handler(identifier); });
    }
}

void ImageExportItem::complete(const CancellableResult& result,
                               const std::optional<Url>& outputUrl) {
    const auto original = originalFileSize();
    if (!completionHandler_) {
        return;
    }
    MainQueue::async([handler = completionHandler_, identifier = identifier_, result, outputUrl,
                      info = exportImageInfo(), original, exported = exportedFileSize()] {
        handler(identifier, result, outputUrl, info, original, exported);
    });
}

std::int64_t ImageExportItem::savedBytes() {
    const auto original = originalFileSize();
    const auto exported = exportedFileSize();
    if (!original || !exported) {
        return 0;
    }
    return std::int64_t(*original) - std::int64_t(*exported);
}

std::int64_t ImageExportItem::reductionPercentage() {
    const auto original = originalFileSize();
    const auto exported = exportedFileSize();
    if (!original || !exported || *original == 0) {
        return 0;
    }
    return 100 - std::int64_t(*exported) * 100 / std::int64_t(*original);
}

std::optional<ExportImageInfo> ImageExportItem::exportImageInfo() const {
    std::lock_guard lock(mutex_);
    return exportImageInfo_;
}

void ImageExportItem::setImageInfoUpdater(ImageInfoUpdater updater) {
    std::lock_guard lock(imageInfoUpdater_->mutex);
    imageInfoUpdater_->updater = std::move(updater);
}

std::optional<std::uint64_t> ImageExportItem::exportedFileSize() const {
    std::lock_guard lock(mutex_);
    return exportedFileSize_;
}

void ImageExportItem::setExportedFileSize(std::optional<std::uint64_t> size) {
    std::lock_guard lock(mutex_);
    exportedFileSize_ = size;
}

std::optional<std::uint64_t> ImageExportItem::originalFileSize() {
    std::lock_guard lock(mutex_);
    if (!originalFileSize_) {
        struct stat status {};
        originalFileSize_ = url_.isFileUrl() && ::stat(url_.path().c_str(), &status) == 0
                                ? std::optional<std::uint64_t>(std::uint64_t(status.st_size))
                                : std::nullopt;
    }
    return *originalFileSize_;
}

} // namespace orlix
