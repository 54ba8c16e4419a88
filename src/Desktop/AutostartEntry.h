#pragma once

#include <filesystem>
#include <string>

namespace orlix {

// The session's autostart entry that starts the helper at login: a desktop entry in the user's
// autostart folder. TryExec names the helper, so that the entry does nothing once the helper has
// been removed with the package; X-Orlix-Version names the build that wrote it.
class AutostartEntry {
public:
    static constexpr const char* fileName = "co.corvendal.orlix-persist.desktop";

    // $XDG_CONFIG_HOME/autostart/co.corvendal.orlix-persist.desktop.
    static std::filesystem::path defaultPath();
    static std::string contents(const std::filesystem::path& program, const std::string& version);
    // One argument of an Exec line: quoted where the desktop-entry rules ask for it, with the
    // escapes of a string value applied on top.
    static std::string execArgument(const std::string& argument);
    // A string value: backslashes and control characters escaped.
    static std::string stringValue(const std::string& text);

    // Replaces the file whole or not at all, leaving no temporary behind (`FileReplacer`).
    static bool write(const std::filesystem::path& file, const std::string& contents);
    // True when no file is left.
    static bool remove(const std::filesystem::path& file);
};

} // namespace orlix
