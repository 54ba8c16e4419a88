#pragma once

#include "Export/JPEGExportStatus.h"
#include "TaskProcessing/ProcessingImage.h"

#include <functional>
#include <memory>

namespace orlix {

// The row of one JPEG output.
class JPEGProcessingImage : public ProcessingImage {
public:
    static std::shared_ptr<JPEGProcessingImage> create(Uuid identifier, ExportSize exportSize,
                                                       Url inURL, bool isSlow);
    // Only through create().
    JPEGProcessingImage(ConstructionKey key, Uuid identifier, ExportSize exportSize, Url inURL,
                        bool isSlow);

    std::string outputType() const override;

    // What the exporter's status updater calls: sets the row's status that the export status
    // stands for. A row that is gone by then is left alone.
    static void statusUpdater(const JPEGExportStatus& status,
                              const std::weak_ptr<ProcessingImage>& row);
    static std::function<void(const JPEGExportStatus&)>
    statusUpdater(std::weak_ptr<ProcessingImage> row);
};

} // namespace orlix
