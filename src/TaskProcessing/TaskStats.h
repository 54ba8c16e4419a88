#pragma once

#include "Export/CancellableResult.h"
#include "Export/ExportImageInfo.h"
#include "Platform/Url.h"

#include <cstdint>
#include <optional>

namespace orlix {

// The outcome of one finished task, as its export item reported it. A task cancelled before it
// began carries only its result.
struct TaskStats {
    CancellableResult result;
    std::optional<Url> resultURL;
    std::optional<ExportImageInfo> exportImageInfo;
    // In bytes.
    std::optional<std::uint64_t> originalFileSize;
    std::optional<std::uint64_t> processedFileSize;
};

} // namespace orlix
