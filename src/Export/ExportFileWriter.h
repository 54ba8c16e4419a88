#pragma once

#include "Export/ExportResult.h"
#include "Model/OutputResolution.h"
#include "Platform/Url.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orlix {

// Writes an encoded output beside its input, or in the Pictures folder when that folder refuses
// it, under a new name that never replaces a file, with the input's permission bits.
class ExportFileWriter {
public:
    static ExportResult write(std::span<const std::uint8_t> data, const Url& input,
                              std::string_view pathExtension,
                              const std::vector<std::string>& suffixes);

    // "-orlix" and the resolution's "@1x", "@2x" or "@3x" (nothing without a resolution).
    static std::vector<std::string> suffixes(std::optional<OutputResolution> resolution);
};

} // namespace orlix
