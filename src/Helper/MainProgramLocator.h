#pragma once

#include <filesystem>
#include <vector>

namespace orlix::helper {

// Where the main program is, seen from the helper: the one of the helper's own tree first (its
// sibling in a build tree, <prefix>/bin/orlix when the helper is installed in
// <prefix>/libexec/orlix), then whichever "orlix" the PATH finds.
class MainProgramLocator {
public:
    static std::vector<std::filesystem::path>
    candidates(const std::filesystem::path& helperProgram);
    // This process's program, as the kernel knows it; empty when that cannot be read.
    static std::filesystem::path ownProgram();
};

} // namespace orlix::helper
