#include "Helper/MainProgramLocator.h"

namespace orlix::helper {

namespace {

constexpr const char* programName = "orlix";

bool isInstalledHelperFolder(const std::filesystem::path& folder) {
    return folder.filename() == "orlix" && folder.parent_path().filename() == "libexec";
}

} // namespace

std::vector<std::filesystem::path>
MainProgramLocator::candidates(const std::filesystem::path& helperProgram) {
    std::vector<std::filesystem::path> result;
    if (helperProgram.is_absolute()) {
        const auto folder = helperProgram.parent_path();
        result.push_back(isInstalledHelperFolder(folder)
                             ? folder.parent_path().parent_path() / "bin" / programName
                             : folder / programName);
    }
    // A bare name is looked up on the PATH when it is started.
    result.emplace_back(programName);
    return result;
}

std::filesystem::path MainProgramLocator::ownProgram() {
    std::error_code error;
    auto program = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : program;
}

} // namespace orlix::helper
