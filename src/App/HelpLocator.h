#pragma once

#include <filesystem>

namespace orlix {

// Where the help that the Help item opens lies: the README installed under
// <prefix>/share/doc/orlix beside <prefix>/bin, else (in a build tree) the source README.
class HelpLocator {
public:
    static std::filesystem::path readme(const std::filesystem::path& ownProgram,
                                        const std::filesystem::path& sourceReadme);
};

} // namespace orlix
