#include "TaskProcessing/JPEGProcessingImage.h"

namespace orlix {

std::shared_ptr<JPEGProcessingImage>
JPEGProcessingImage::create(Uuid identifier, ExportSize exportSize, Url inURL, bool isSlow) {
    return make<JPEGProcessingImage>(identifier, std::move(exportSize), std::move(inURL), isSlow);
}

JPEGProcessingImage::JPEGProcessingImage(ConstructionKey key, Uuid identifier,
                                         ExportSize exportSize, Url inURL, bool isSlow)
    : ProcessingImage(key, identifier, std::move(exportSize), std::move(inURL), isSlow) {}

std::string JPEGProcessingImage::outputType() const {
    return "JPEG";
}

void JPEGProcessingImage::statusUpdater(const JPEGExportStatus& status,
                                        const std::weak_ptr<ProcessingImage>& row) {
    applyExportStatus(status, row);
}

std::function<void(const JPEGExportStatus&)>
JPEGProcessingImage::statusUpdater(std::weak_ptr<ProcessingImage> row) {
    return [row = std::move(row)](const JPEGExportStatus& status) { statusUpdater(status, row); };
}

} // namespace orlix
