#pragma once

#include "Platform/Operation.h"

#include <memory>
#include <vector>

namespace orlix {

// Something that exports through operations on the export queue.
class ImageExportTask {
public:
    virtual ~ImageExportTask() = default;
    // New operations on every call.
    virtual std::vector<std::shared_ptr<Operation>> operations() = 0;
};

} // namespace orlix
