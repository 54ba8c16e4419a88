#include "Desktop/AutostartEntry.h"

#include "Platform/FileReplacer.h"
#include "Platform/UserDirectories.h"

#include <unistd.h>

#include <cerrno>

namespace orlix {

namespace {

constexpr std::string_view kReservedCharacters = " \t\n\"'\\><~|&;$*?#()`";
// Inside double quotes these still need a backslash.
constexpr std::string_view kEscapedInQuotes = "\"`$\\";

} // namespace

std::filesystem::path AutostartEntry::defaultPath() {
    return UserDirectories::configDirectory() / "autostart" / fileName;
}

std::string AutostartEntry::contents(const std::filesystem::path& program,
                                     const std::string& version) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Orlix Helper\n"
           "Comment=Shows Orlix's drop zones while image files are dragged\n"
           "Exec=" +
           execArgument(program.string()) + "\nTryExec=" + stringValue(program.string()) +
           "\nIcon=co.corvendal.Orlix\n"
           "Terminal=false\n"
           "NoDisplay=true\n"
           "X-Orlix-Version=" +
           stringValue(version) + "\n";
}

std::string AutostartEntry::execArgument(const std::string& argument) {
    std::string quoted;
    const bool needsQuotes =
        argument.empty() || argument.find_first_of(kReservedCharacters) != std::string::npos;
    for (const char character : argument) {
        if (character == '%') {
            quoted += "%%";
            continue;
        }
        if (needsQuotes && kEscapedInQuotes.find(character) != std::string_view::npos) {
            quoted += '\\';
        }
        quoted += character;
    }
    return stringValue(needsQuotes ? "\"" + quoted + "\"" : quoted);
}

std::string AutostartEntry::stringValue(const std::string& text) {
    std::string escaped;
    for (const char character : text) {
        switch (character) {
        case '\\':
            escaped += "\\\\";
            break;
        case '\n':
            escaped += "\\n";
            break;
        case '\t':
            escaped += "\\t";
            break;
        case '\r':
            escaped += "\\r";
            break;
        default:
            escaped += character;
        }
    }
    return escaped;
}

bool AutostartEntry::write(const std::filesystem::path& file, const std::string& contents) {
    std::error_code error;
    std::filesystem::create_directories(file.parent_path(), error);
    return FileReplacer::replace(file, contents, 0644).has_value();
}

bool AutostartEntry::remove(const std::filesystem::path& file) {
    return ::unlink(file.c_str()) == 0 || errno == ENOENT;
}

} // namespace orlix
