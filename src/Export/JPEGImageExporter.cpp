#include "Export/JPEGImageExporter.h"

#include "Export/MainQueueForwarding.h"

namespace orlix {

std::vector<std::shared_ptr<Operation>> JPEGImageExporter::operations() {
    exportItem_->setImageInfoUpdater(MainQueueForwarding::forward(imageInfoUpdater_));
    return {std::make_shared<JPEGImageExporterOperation>(
        exportItem_, jpegExportConfig_, MainQueueForwarding::forward(statusUpdater_))};
}

} // namespace orlix
