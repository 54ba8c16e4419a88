#include "Export/ExportFileWriter.h"

#include "Export/DataWriter.h"
#include "Export/ExportPaths.h"

#include <sys/stat.h>

namespace orlix {

namespace {

// Numbered names tried per folder after the plain one.
constexpr std::uint8_t maximumRenames = 5;

// An output may be read by no one the input could not be read by: it gets the input's permission
// bits (the umask still applies), or the owner's alone when the input can no longer be asked.
mode_t outputPermissions(const Url& input) {
    struct stat status {};
    if (!input.isFileUrl() || ::stat(input.path().c_str(), &status) != 0) {
        return S_IRUSR | S_IWUSR;
    }
    return status.st_mode & 0777;
}

} // namespace

ExportResult ExportFileWriter::write(std::span<const std::uint8_t> data, const Url& input,
                                     std::string_view pathExtension,
                                     const std::vector<std::string>& suffixes) {
    const auto paths = ExportPaths::make(input, defaultExportLocations(), pathExtension, suffixes);
    if (!paths) {
        return {ExportResult::Failure{}};
    }
    const auto written = DataWriter(outputPermissions(input))
                             .writeDataToFirstAvailableURL(data, paths->urls(), maximumRenames);
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
