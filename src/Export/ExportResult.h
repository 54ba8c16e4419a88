#pragma once

#include "Platform/Url.h"

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

namespace orlix {

// The end of writing an output file: where it went and how large it is, or what the user is told.
struct ExportResult {
    struct Success {
        Url exportUrl;
        std::int64_t exportedFileSize;
    };
    struct Failure {
        std::optional<std::string> explanation;
    };

    std::variant<Success, Failure> value;
};

} // namespace orlix
