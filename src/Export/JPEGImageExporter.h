#pragma once

#include "Export/ImageExportItem.h"
#include "Export/ImageExportTask.h"
#include "Export/ImageExporterUpdateSource.h"
#include "Export/JPEGImageExporterOperation.h"
#include "Model/JPEGExportConfig.h"

#include <memory>

namespace orlix {

// Exports one item as a JPEG through one operation, and hands its statuses and image
// information to the updaters on the main queue.
class JPEGImageExporter : public ImageExportTask, public ImageExporterUpdateSource {
public:
    using StatusUpdater = JPEGImageExporterOperation::StatusUpdater;

    JPEGImageExporter(std::shared_ptr<ImageExportItem> exportItem,
                      JPEGExportConfig jpegExportConfig)
        : exportItem_(std::move(exportItem))
        , jpegExportConfig_(jpegExportConfig) {}

    const std::shared_ptr<ImageExportItem>& exportItem() const { return exportItem_; }
    const ImageInfoUpdater& imageInfoUpdater() const override { return imageInfoUpdater_; }
    void setImageInfoUpdater(ImageInfoUpdater updater) override {
        imageInfoUpdater_ = std::move(updater);
    }
    const StatusUpdater& statusUpdater() const { return statusUpdater_; }
    void setStatusUpdater(StatusUpdater updater) { statusUpdater_ = std::move(updater); }

    // One new operation; the updaters are taken as they are now.
    std::vector<std::shared_ptr<Operation>> operations() override;

private:
    std::shared_ptr<ImageExportItem> exportItem_;
    JPEGExportConfig jpegExportConfig_;
    ImageInfoUpdater imageInfoUpdater_;
    StatusUpdater statusUpdater_;
};

} // namespace orlix
