#pragma once

#include "Export/PNGExportStatus.h"
#include "TaskProcessing/ProcessingImage.h"

#include <functional>
#include <memory>

namespace orlix {

// The row of one PNG output.
class PNGProcessingImage : public ProcessingImage {
public:
    static std::shared_ptr<PNGProcessingImage> create(Uuid identifier, ExportSize exportSize,
                                                      Url inURL, bool isSlow);
    // Only through create().
    PNGProcessingImage(ConstructionKey key, Uuid identifier, ExportSize exportSize, Url inURL,
                       bool isSlow);

    std::string outputType() const override;

    // What the exporter's status updater calls: sets the row's status that the export status
    // stands for. A row that is gone by then is left alone.
    static void statusUpdater(const PNGExportStatus& status,
                              const std::weak_ptr<ProcessingImage>& row);
    static std::function<void(const PNGExportStatus&)>
    statusUpdater(std::weak_ptr<ProcessingImage> row);
};

} // namespace orlix
