#include "TaskProcessing/PNGProcessingImage.h"

namespace orlix {

std::shared_ptr<PNGProcessingImage>
PNGProcessingImage::create(Uuid identifier, ExportSize exportSize, Url inURL, bool isSlow) {
    return make<PNGProcessingImage>(identifier, std::move(exportSize), std::move(inURL), isSlow);
}

PNGProcessingImage::PNGProcessingImage(ConstructionKey key, Uuid identifier, ExportSize exportSize,
                                       Url inURL, bool isSlow)
    : ProcessingImage(key, identifier, std::move(exportSize), std::move(inURL), isSlow) {}

std::string PNGProcessingImage::outputType() const {
    return "PNG";
}

void PNGProcessingImage::statusUpdater(const PNGExportStatus& status,
                                       const std::weak_ptr<ProcessingImage>& row) {
    applyExportStatus(status, row);
}

std::function<void(const PNGExportStatus&)>
PNGProcessingImage::statusUpdater(std::weak_ptr<ProcessingImage> row) {
    return [row = std::move(row)](const PNGExportStatus& status) { statusUpdater(status, row); };
}

} // namespace orlix
