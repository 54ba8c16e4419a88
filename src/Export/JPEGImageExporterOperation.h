#pragma once

#include "Export/ImageExportItem.h"
#include "Export/JPEGExportStatus.h"
#include "Model/JPEGExportConfig.h"
#include "Platform/Operation.h"

#include <functional>
#include <memory>

namespace orlix {

// Turns one export item into one JPEG file: read and resize, choose the quality, encode, check
// the result got smaller when nothing else was asked, and write without overwriting. Every end,
// failures included, is a status followed by the item's completion.
class JPEGImageExporterOperation : public Operation {
public:
    using StatusUpdater = std::function<void(const JPEGExportStatus&)>;

    JPEGImageExporterOperation(std::shared_ptr<ImageExportItem> exportItem,
                               JPEGExportConfig jpegExportConfig, StatusUpdater statusUpdater);

    // Reports the cancel and completes the item at once, whatever the pipeline is doing; a
    // running pipeline stops at its next check.
    void cancel() override;

protected:
    void main() override;
    virtual void exportImage();

private:
    void report(const JPEGExportStatus& status) const;
    void fail(JPEGExportError::Kind kind, std::optional<std::string> explanation = std::nullopt);
    void stopAsCancelled();
    std::uint8_t quality(const BitmapImageRepWithMetadata& image) const;
    bool isNoResizeNoResolution() const;

    const std::shared_ptr<ImageExportItem> exportItem_;
    // Carried for the record: the quality is forced by the user or chosen from the image.
    const JPEGExportConfig jpegExportConfig_;
    const StatusUpdater statusUpdater_;
};

} // namespace orlix
