#include "Desktop/AutostartEntry.h"

#include "Platform/UserDirectories.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace orlix {

namespace {

constexpr std::string_view kReservedCharacters = " \t\n\"'\\><~|&;$*?#()`";
// Inside double quotes these still need a backslash.
constexpr std::string_view kEscapedInQuotes = "\"`$\\";

bool writeAll(int descriptor, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t written = ::write(descriptor, text.data() + done, text.size() - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    return true;
}

void syncFolder(const std::filesystem::path& folder) {
    const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor >= 0) {
        ::fsync(descriptor);
        ::close(descriptor);
    }
}

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
    const auto folder = file.parent_path();
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    std::string temporary = (folder / ("." + file.filename().string() + ".XXXXXX")).string();
    const int descriptor = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (descriptor < 0) {
        return false;
    }
    const bool written = writeAll(descriptor, contents) && ::fchmod(descriptor, 0644) == 0 &&
                         ::fsync(descriptor) == 0;
    const bool closed = ::close(descriptor) == 0;
    if (!written || !closed || ::rename(temporary.c_str(), file.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    syncFolder(folder);
    return true;
}

bool AutostartEntry::remove(const std::filesystem::path& file) {
    return ::unlink(file.c_str()) == 0 || errno == ENOENT;
}

} // namespace orlix
