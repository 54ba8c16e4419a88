#pragma once

#include "Export/ImageExporter.h"
#include "Export/JPEGImageExporterOperation.h"

namespace orlix {

using JPEGImageExporter = ImageExporter<JPEGImageExporterOperation, JPEGExportConfig>;

} // namespace orlix
