#include "App/HelpLocator.h"

namespace orlix {

std::filesystem::path HelpLocator::readme(const std::filesystem::path& ownProgram,
                                          const std::filesystem::path& sourceReadme) {
    const auto installed =
        (ownProgram.parent_path() / ".." / "share" / "doc" / "orlix" / "README.md")
            .lexically_normal();
    std::error_code error;
    return std::filesystem::is_regular_file(installed, error) ? installed : sourceReadme;
}

} // namespace orlix
