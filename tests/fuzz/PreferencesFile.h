#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

namespace orlix::fuzzing {

// The application's preferences file in a configuration folder of the fuzzer's own, so that the
// store under test reads what a target writes there.
class PreferencesFile {
public:
    // Points XDG_CONFIG_HOME at the scratch folder; call before the first store is made.
    static void useScratchConfiguration();
    static std::filesystem::path path();
    // Clears the folder and puts `bytes` in place as the preferences file.
    static void replace(std::span<const std::uint8_t> bytes);
};

} // namespace orlix::fuzzing
