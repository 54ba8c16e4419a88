#pragma once

#include "Export/BitmapImageRepWithMetadata.h"
#include "Export/CancellableResult.h"
#include "Export/CreateAndResizeError.h"
#include "Export/ExportImageInfo.h"
#include "Model/ExportSize.h"
#include "Platform/Expected.h"
#include "Platform/Url.h"
#include "Platform/Uuid.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace orlix {

// The request for one output image: one input file and one export size. Used by one export
// operation at a time on its worker thread; every handler runs on the main queue, in the order
// the events happened.
class ImageExportItem {
public:
    using BeganHandler = std::function<void(const Uuid&)>;
    using CompletionHandler = std::function<void(
        const Uuid& identifier, const CancellableResult& result,
        const std::optional<Url>& outputUrl, const std::optional<ExportImageInfo>& info,
        std::optional<std::uint64_t> originalFileSize,
        std::optional<std::uint64_t> exportedFileSize)>;
    using ImageInfoUpdater = std::function<void(const ExportImageInfo&)>;
    using ResizedImage =
        Expected<std::shared_ptr<const BitmapImageRepWithMetadata>, CreateAndResizeError>;

    ImageExportItem(Uuid identifier, Url url, ExportSize exportSize, BeganHandler beganHandler,
                    CompletionHandler completionHandler);
    virtual ~ImageExportItem() = default;
    ImageExportItem(const ImageExportItem&) = delete;
    ImageExportItem& operator=(const ImageExportItem&) = delete;

    const Uuid& identifier() const { return identifier_; }
    const Url& url() const { return url_; }
    const ExportSize& exportSize() const { return exportSize_; }

    // The resolution of the output; for a variable size the one the source can supply.
    virtual std::optional<OutputResolution> outputResolution();
    // The bitmap to encode: loaded and resized once, then kept until it is released. Nothing is
    // kept on failure.
    virtual ResizedImage resizedImageRepWithMetadata();
    // Lets the kept bitmap go once its pixels are elsewhere; what is known of the image stays.
    void releaseResizedImage();
    // Reports on the main queue that the export began.
    virtual void began();
    // Reports the end on the main queue, with the sizes known by then.
    virtual void complete(const CancellableResult& result, const std::optional<Url>& outputUrl);
    // Input size minus output size; 0 when either is unknown, negative when the output is larger.
    virtual std::int64_t savedBytes();
    // The share of the input saved, in whole percent truncated toward zero; 0 when a size is
    // unknown or the input is empty.
    virtual std::int64_t reductionPercentage();

    std::optional<ExportImageInfo> exportImageInfo() const;
    void setImageInfoUpdater(ImageInfoUpdater updater);
    std::optional<std::uint64_t> exportedFileSize() const;
    void setExportedFileSize(std::optional<std::uint64_t> size);
    // The input file's size, read from the file system on first use and then kept.
    std::optional<std::uint64_t> originalFileSize();

private:
    ResizedImage computeResizedImage();
    std::optional<ImagePixelSize> sourcePixelSize();
    std::optional<OutputResolution> resolutionFor(std::optional<ImagePixelSize> source) const;
    void updateExportImageInfo();
    void publish(ExportImageInfo info);

    const Uuid identifier_;
    const Url url_;
    const ExportSize exportSize_;
    const BeganHandler beganHandler_;
    const CompletionHandler completionHandler_;

    // The operation's thread writes these while the cancelling thread may complete the item, so
    // reads and writes are guarded.
    mutable std::mutex mutex_;
    std::optional<ExportImageInfo> exportImageInfo_;
    // Shared with the blocks that deliver image information: they read the updater when they run,
    // which may be after the item is gone.
    struct UpdaterSlot {
        std::mutex mutex;
        ImageInfoUpdater updater;
    };
    const std::shared_ptr<UpdaterSlot> imageInfoUpdater_ = std::make_shared<UpdaterSlot>();
    std::shared_ptr<const BitmapImageRepWithMetadata> resized_;
    std::optional<std::optional<std::uint64_t>> originalFileSize_;
    std::optional<std::uint64_t> exportedFileSize_;
};

} // namespace orlix
