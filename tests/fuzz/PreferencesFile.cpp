#include "PreferencesFile.h"

#include "ScratchFolder.h"

#include "Platform/UserDefaults.h"

#include <cstdlib>

namespace orlix::fuzzing {

namespace {

std::filesystem::path relativePath() {
    return std::filesystem::path("config") / "orlix" / (UserDefaults::standardDomain + ".plist");
}

} // namespace

void PreferencesFile::useScratchConfiguration() {
    ::setenv("XDG_CONFIG_HOME", (ScratchFolder::path() / "config").c_str(), 1);
}

std::filesystem::path PreferencesFile::path() {
    return ScratchFolder::path() / relativePath();
}

void PreferencesFile::replace(std::span<const std::uint8_t> bytes) {
    ScratchFolder::empty();
    ScratchFolder::writeFile(relativePath(), bytes);
}

} // namespace orlix::fuzzing
