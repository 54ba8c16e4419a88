#pragma once

#include <filesystem>
#include <optional>

namespace orlix {

// The user's standard folders as the XDG base-directory and user-directory conventions name them.
// Environment variables are read on every call.
class UserDirectories {
public:
    // $HOME when it is absolute, otherwise the home folder of the user's account entry.
    static std::filesystem::path homeDirectory();
    // $XDG_CONFIG_HOME when it is absolute, otherwise ~/.config.
    static std::filesystem::path configDirectory();
    // XDG_PICTURES_DIR from user-dirs.dirs in the config folder, otherwise ~/Pictures.
    static std::filesystem::path picturesDirectory();
    // $XDG_RUNTIME_DIR when it is absolute; absent otherwise.
    static std::optional<std::filesystem::path> runtimeDirectory();
};

} // namespace orlix
