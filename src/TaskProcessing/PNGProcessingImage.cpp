#include "TaskProcessing/PNGProcessingImage.h"

#include "TaskProcessing/UIExportError.h"

#include <any>

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
    const auto image = row.lock();
    if (!image) {
        return;
    }
    using Row = ProcessingImageStatus;
    switch (status.kind) {
    case PNGExportStatus::Kind::succeeded:
        image->setStatus(Row::succeeded(status.out, status.reduction));
        return;
    case PNGExportStatus::Kind::failed: {
        const UIExportError error{status.error ? std::any(*status.error) : std::any()};
        image->setStatus(Row::failed(error.errorString(), error.explanationString()));
        return;
    }
    case PNGExportStatus::Kind::ready:
        image->setStatus(Row::of(Row::Kind::ready));
        return;
    case PNGExportStatus::Kind::readingImage:
    case PNGExportStatus::Kind::optimizingImage:
    case PNGExportStatus::Kind::generatingPNG:
    case PNGExportStatus::Kind::optimizingPNG:
    case PNGExportStatus::Kind::writingFile:
        image->setStatus(Row::of(Row::Kind::optimizing));
        return;
    case PNGExportStatus::Kind::cancelled:
        image->setStatus(Row::of(Row::Kind::cancelled));
        return;
    }
}

std::function<void(const PNGExportStatus&)>
PNGProcessingImage::statusUpdater(std::weak_ptr<ProcessingImage> row) {
    return [row = std::move(row)](const PNGExportStatus& status) { statusUpdater(status, row); };
}

} // namespace orlix
