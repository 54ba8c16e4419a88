#pragma once

#include "Export/ImageExporter.h"
#include "Export/PNGImageExporterOperation.h"

namespace orlix {

using PNGImageExporter = ImageExporter<PNGImageExporterOperation, PNGExportConfig>;

} // namespace orlix
