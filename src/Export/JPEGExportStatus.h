#pragma once

#include "Export/JPEGExportError.h"
#include "Platform/Url.h"

#include <cstdint>
#include <optional>

namespace orlix {

// The progress of one JPEG export, as its row shows it.
struct JPEGExportStatus {
    using Error = JPEGExportError;

    enum class Kind {
        succeeded,
        failed,
        ready,
        readingImage,
        analyzingImage,
        generatingJPEG,
        writingFile,
        cancelled,
    };

    static JPEGExportStatus succeeded(std::optional<Url> out,
                                      std::optional<std::int64_t> reduction) {
        return {Kind::succeeded, std::move(out), reduction, std::nullopt};
    }
    static JPEGExportStatus failed(JPEGExportError error) {
        return {Kind::failed, std::nullopt, std::nullopt, std::move(error)};
    }
    static JPEGExportStatus of(Kind kind) {
        return {kind, std::nullopt, std::nullopt, std::nullopt};
    }

    Kind kind;
    // For `succeeded`: the file written and the share of the input saved, in percent.
    std::optional<Url> out;
    std::optional<std::int64_t> reduction;
    // For `failed`.
    std::optional<JPEGExportError> error;

    bool operator==(const JPEGExportStatus&) const = default;
};

} // namespace orlix
