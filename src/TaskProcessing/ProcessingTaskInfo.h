#pragma once

#include "Model/ExportSettings.h"
#include "Model/ExportSize.h"
#include "Platform/Url.h"
#include "Platform/Uuid.h"

namespace orlix {

// The request of one task: one output of one input file. The export item, its activity row and
// the tracker's entries all share the identifier.
struct ProcessingTaskInfo {
    Uuid identifier;
    Url url;
    // The settings of the whole request the task belongs to.
    ExportSettings exportSettings;
    ExportSize exportSize;
};

} // namespace orlix
