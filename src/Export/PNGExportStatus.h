#pragma once

#include "Export/PNGExportError.h"
#include "Platform/Url.h"

#include <cstdint>
#include <optional>

namespace orlix {

// The progress of one PNG export, as its row shows it.
struct PNGExportStatus {
    using Error = PNGExportError;

    enum class Kind {
        succeeded,
        failed,
        ready,
        readingImage,
        optimizingImage,
        generatingPNG,
        optimizingPNG,
        writingFile,
        cancelled,
    };

    static PNGExportStatus succeeded(std::optional<Url> out,
                                     std::optional<std::int64_t> reduction) {
        return {Kind::succeeded, std::move(out), reduction, std::nullopt};
    }
    static PNGExportStatus failed(PNGExportError error) {
        return {Kind::failed, std::nullopt, std::nullopt, std::move(error)};
    }
    static PNGExportStatus of(Kind kind) {
        return {kind, std::nullopt, std::nullopt, std::nullopt};
    }

    Kind kind;
    // For `succeeded`: the file written and the share of the input saved, in percent.
    std::optional<Url> out;
    std::optional<std::int64_t> reduction;
    // For `failed`.
    std::optional<PNGExportError> error;

    bool operator==(const PNGExportStatus&) const = default;
};

} // namespace orlix
