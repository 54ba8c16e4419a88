#include "Export/ExportFileWriter.h"

#include "Export/DataWriter.h"
#include "Export/ExportPaths.h"

namespace orlix {

namespace {

// Numbered names tried per folder after the plain one.
constexpr std::uint8_t maximumRenames = 5;

} // namespace

ExportResult ExportFileWriter::write(std::span<const std::uint8_t> data, const Url& input,
                                     std::string_view pathExtension,
                                     const std::vector<std::string>& suffixes) {
    const auto paths = ExportPaths::make(input, defaultExportLocations(), pathExtension, suffixes);
    if (!paths) {
        return {ExportResult::Failure{}};
    }
    const auto written =
        DataWriter().writeDataToFirstAvailableURL(data, paths->urls(), maximumRenames);
    if (!written) {
        return {ExportResult::Failure{DataWriter::explanation(written.error())}};
    }
    return {ExportResult::Success{*written, std::int64_t(data.size())}};
}

std::vector<std::string> ExportFileWriter::suffixes(std::optional<OutputResolution> resolution) {
    if (!resolution) {
        return {"-orlix", ""};
    }
    switch (*resolution) {
    case OutputResolution::x1:
        return {"-orlix", "@1x"};
    case OutputResolution::x2:
        return {"-orlix", "@2x"};
    case OutputResolution::x3:
        break;
    }
    return {"-orlix", "@3x"};
}

} // namespace orlix
