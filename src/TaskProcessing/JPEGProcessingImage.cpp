#include "TaskProcessing/JPEGProcessingImage.h"

#include "TaskProcessing/UIExportError.h"

#include <any>

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
    const auto image = row.lock();
    if (!image) {
        return;
    }
    using Row = ProcessingImageStatus;
    switch (status.kind) {
    case JPEGExportStatus::Kind::succeeded:
        image->setStatus(Row::succeeded(status.out, status.reduction));
        return;
    case JPEGExportStatus::Kind::failed: {
        const UIExportError error{status.error ? std::any(*status.error) : std::any()};
        image->setStatus(Row::failed(error.errorString(), error.explanationString()));
        return;
    }
    case JPEGExportStatus::Kind::ready:
        image->setStatus(Row::of(Row::Kind::ready));
        return;
    case JPEGExportStatus::Kind::readingImage:
    case JPEGExportStatus::Kind::analyzingImage:
    case JPEGExportStatus::Kind::generatingJPEG:
    case JPEGExportStatus::Kind::writingFile:
        image->setStatus(Row::of(Row::Kind::optimizing));
        return;
    case JPEGExportStatus::Kind::cancelled:
        image->setStatus(Row::of(Row::Kind::cancelled));
        return;
    }
}

std::function<void(const JPEGExportStatus&)>
JPEGProcessingImage::statusUpdater(std::weak_ptr<ProcessingImage> row) {
    return [row = std::move(row)](const JPEGExportStatus& status) { statusUpdater(status, row); };
}

} // namespace orlix
