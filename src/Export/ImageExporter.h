#pragma once

#include "Export/ImageExportItem.h"
#include "Export/ImageExportTask.h"
#include "Export/ImageExporterUpdateSource.h"
#include "Export/MainQueueForwarding.h"

#include <memory>

namespace orlix {

// Exports one item through one operation of the format, and hands the operation's statuses and
// the item's image information to the updaters on the main queue, in the order they happened.
template <typename FormatOperation, typename FormatConfig>
class ImageExporter : public ImageExportTask, public ImageExporterUpdateSource {
public:
    using StatusUpdater = typename FormatOperation::StatusUpdater;

    ImageExporter(std::shared_ptr<ImageExportItem> exportItem, FormatConfig config)
        : exportItem_(std::move(exportItem))
        , config_(config) {}

    const std::shared_ptr<ImageExportItem>& exportItem() const { return exportItem_; }
    const ImageInfoUpdater& imageInfoUpdater() const override { return imageInfoUpdater_; }
    void setImageInfoUpdater(ImageInfoUpdater updater) override {
        imageInfoUpdater_ = std::move(updater);
    }
    const StatusUpdater& statusUpdater() const { return statusUpdater_; }
    void setStatusUpdater(StatusUpdater updater) { statusUpdater_ = std::move(updater); }

    // One new operation; the updaters are taken as they are now, so they must be set first.
    std::vector<std::shared_ptr<Operation>> operations() override {
        exportItem_->setImageInfoUpdater(MainQueueForwarding::forward(imageInfoUpdater_));
        return {std::make_shared<FormatOperation>(exportItem_, config_,
                                                  MainQueueForwarding::forward(statusUpdater_))};
    }

private:
    std::shared_ptr<ImageExportItem> exportItem_;
    FormatConfig config_;
    ImageInfoUpdater imageInfoUpdater_;
    StatusUpdater statusUpdater_;
};

} // namespace orlix
