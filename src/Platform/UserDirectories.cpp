#include "Platform/UserDirectories.h"
#include "Platform/TextTrimming.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace orlix {

namespace {

std::optional<std::filesystem::path> absoluteEnvironmentPath(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] != '/') {
        return std::nullopt;
    }
    return std::filesystem::path(value);
}

std::filesystem::path accountHomeDirectory() {
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* result = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &result) == 0 &&
        result != nullptr && result->pw_dir != nullptr && result->pw_dir[0] == '/') {
        return result->pw_dir;
    }
    return "/";
}

std::string_view trimmedLineSpace(std::string_view text) {
    return orlix::trimmed(text, " \t\r");
}

// The quoted value of a user-dirs.dirs line: "$HOME/…" or "/…", with backslash escapes; what
// follows the closing quote is ignored. Anything else is not a usable folder.
std::optional<std::filesystem::path> parseQuotedFolder(std::string_view value,
                                                       const std::filesystem::path& home) {
    if (value.size() < 2 || value.front() != '"') {
        return std::nullopt;
    }
    std::string unescaped;
    std::size_t index = 1;
    for (; index < value.size() && value[index] != '"'; ++index) {
        if (value[index] == '\\' && index + 1 < value.size()) {
            ++index;
        }
        unescaped += value[index];
    }
    if (index == value.size()) {
        return std::nullopt;
    }
    constexpr std::string_view homePrefix = "$HOME";
    if (unescaped.rfind(homePrefix, 0) == 0 &&
        (unescaped.size() == homePrefix.size() || unescaped[homePrefix.size()] == '/')) {
        const std::string rest = unescaped.substr(homePrefix.size());
        return rest.find_first_not_of('/') == std::string::npos
                   ? home
                   : home / std::filesystem::path(rest).relative_path();
    }
    if (!unescaped.empty() && unescaped.front() == '/') {
        return std::filesystem::path(unescaped);
    }
    return std::nullopt;
}

// The last valid assignment to `key` wins, as with the file being sourced by a shell.
std::optional<std::filesystem::path> userDirectory(std::string_view key,
                                                   const std::filesystem::path& home) {
    std::ifstream file(UserDirectories::configDirectory() / "user-dirs.dirs");
    std::optional<std::filesystem::path> folder;
    std::string line;
    while (std::getline(file, line)) {
        const std::string_view text = trimmedLineSpace(line);
        if (text.empty() || text.front() == '#' || text.substr(0, key.size()) != key) {
            continue;
        }
        const std::string_view assignment = trimmedLineSpace(text.substr(key.size()));
        if (assignment.empty() || assignment.front() != '=') {
            continue;
        }
        if (auto parsed = parseQuotedFolder(trimmedLineSpace(assignment.substr(1)), home)) {
            folder = std::move(parsed);
        }
    }
    return folder;
}

} // namespace

std::filesystem::path UserDirectories::homeDirectory() {
    return absoluteEnvironmentPath("HOME").value_or(accountHomeDirectory());
}

std::filesystem::path UserDirectories::configDirectory() {
    if (auto config = absoluteEnvironmentPath("XDG_CONFIG_HOME")) {
        return *config;
    }
    return homeDirectory() / ".config";
}

std::filesystem::path UserDirectories::picturesDirectory() {
    const auto home = homeDirectory();
    return userDirectory("XDG_PICTURES_DIR", home).value_or(home / "Pictures");
}

std::optional<std::filesystem::path> UserDirectories::runtimeDirectory() {
    return absoluteEnvironmentPath("XDG_RUNTIME_DIR");
}

} // namespace orlix
