#include "Platform/UserDefaults.h"

#include "Platform/FileDescriptor.h"
#include "Platform/FileReplacer.h"
#include "Platform/NotificationCenter.h"
#include "Platform/PropertyListSerialization.h"
#include "Platform/UserDirectories.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <ctime>
#include <limits>
#include <map>

namespace orlix {

const std::string UserDefaults::didChangeNotification = "UserDefaultsDidChangeNotification";
const std::string UserDefaults::standardDomain = "co.corvendal.Orlix";

namespace {

// A preferences file beyond this size is not one this program wrote; it is treated as damaged.
constexpr std::uintmax_t maximumFileSize = 64 * 1024 * 1024;
constexpr int maximumCorruptCopies = 100;

std::filesystem::path defaultFilePath(const std::string& domain) {
    return UserDirectories::configDirectory() / "orlix" / (domain + ".plist");
}

bool isSafeSuiteName(const std::string& name) {
    return !name.empty() && name.front() != '.' && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

// What a read of the preferences file found: its contents, nothing readable, or something that
// is no file of ours at all.
struct FileRead {
    enum class Kind { contents, unreadable, notRegular };
    Kind kind = Kind::unreadable;
    std::string contents;
};

// A pipe or device at the path would block an ordinary open or read until some other process
// acted, so the open never waits and only a regular file (also through a link) is read.
FileRead readFile(const std::filesystem::path& path) {
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat status {};
    if (file.get() < 0 || ::fstat(file.get(), &status) != 0) {
        return {};
    }
    if (!S_ISREG(status.st_mode)) {
        return {FileRead::Kind::notRegular, {}};
    }
    FileRead read{FileRead::Kind::contents, {}};
    std::string& contents = read.contents;
    char buffer[65536];
    for (;;) {
        const ssize_t count = ::read(file.get(), buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0) {
            return {};
        }
        if (count == 0 || contents.size() > maximumFileSize) {
            return read;
        }
        contents.append(buffer, static_cast<std::size_t>(count));
    }
}

// Creates the folder and any missing parents, private to the user as the XDG rules ask.
bool ensureFolder(const std::filesystem::path& folder) {
    if (::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST) {
        return true;
    }
    if (errno != ENOENT || folder.parent_path() == folder) {
        return false;
    }
    return ensureFolder(folder.parent_path()) &&
           (::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST);
}

// Where the preferences are written: at their path, or through a symbolic link (as dotfile
// managers make) into the regular file it leads to. Nothing when a link leads anywhere else (no
// file, a missing folder, a loop, a pipe, a folder): the link itself is then set aside, so that
// nothing is ever created or replaced at the end of a link but preferences.
std::optional<std::filesystem::path> writeTarget(const std::filesystem::path& path) {
    struct stat link {};
    if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) {
        return path;
    }
    struct stat pointedTo {};
    if (::stat(path.c_str(), &pointedTo) != 0 || !S_ISREG(pointedTo.st_mode)) {
        return std::nullopt;
    }
    std::error_code error;
    auto resolved = std::filesystem::canonical(path, error);
    return error ? std::nullopt : std::optional(std::move(resolved));
}

// A file that is replaced keeps its permissions, as an editor saving it would; new preferences
// are the user's alone.
mode_t modeFor(const std::filesystem::path& target) {
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
        return existing.st_mode & 0777;
    }
    return S_IRUSR | S_IWUSR;
}

std::string timestampText() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm parts{};
    gmtime_r(&now, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%dT%H%M%SZ", &parts);
    return text;
}

std::int64_t integerFromReal(double real) {
    constexpr auto limit = static_cast<double>(std::numeric_limits<std::int64_t>::max());
    if (std::isnan(real)) {
        return 0;
    }
    if (real >= limit) {
        return std::numeric_limits<std::int64_t>::max();
    }
    if (real <= -limit) {
        return std::numeric_limits<std::int64_t>::min();
    }
    return static_cast<std::int64_t>(real);
}

template <typename T>
std::optional<T> valueOfKind(const std::optional<PropertyList>& value,
                             const T* (PropertyList::*kind)() const) {
    if (const T* typed = value ? ((*value).*kind)() : nullptr) {
        return *typed;
    }
    return std::nullopt;
}

} // namespace

std::shared_ptr<UserDefaults> UserDefaults::standardUserDefaults() {
    return sharedStore(standardDomain);
}

std::shared_ptr<UserDefaults> UserDefaults::suite(const std::string& suiteName) {
    return isSafeSuiteName(suiteName) ? sharedStore(suiteName) : nullptr;
}

std::shared_ptr<UserDefaults> UserDefaults::sharedStore(const std::string& domain) {
    // One store per file, so everything in the process shares one set of values; the path is
    // worked out afresh so that a changed configuration folder gets a store of its own.
    static std::mutex mutex;
    static std::map<std::filesystem::path, std::shared_ptr<UserDefaults>> stores;
    auto path = defaultFilePath(domain);
    const std::lock_guard lock(mutex);
    auto& store = stores[path];
    if (!store) {
        store.reset(new UserDefaults(domain, std::move(path)));
    }
    return store;
}

UserDefaults::UserDefaults(std::string domain)
    : UserDefaults(domain, defaultFilePath(domain)) {}

UserDefaults::UserDefaults(std::string domain, std::filesystem::path filePath)
    : domain_(std::move(domain))
    , filePath_(std::move(filePath)) {}

std::filesystem::path UserDefaults::filePath() const {
    return filePath_;
}

std::optional<PropertyList> UserDefaults::objectForKey(const std::string& key) const {
    const std::lock_guard lock(mutex_);
    reloadIfChanged();
    const auto found = values_.find(key);
    if (found == values_.end()) {
        return std::nullopt;
    }
    return found->second;
}

std::int64_t UserDefaults::integerForKey(const std::string& key) const {
    const auto value = objectForKey(key);
    if (!value) {
        return 0;
    }
    if (const auto* integer = value->integerValue()) {
        return *integer;
    }
    if (const auto* real = value->realValue()) {
        return integerFromReal(*real);
    }
    if (const auto* boolean = value->boolValue()) {
        return *boolean ? 1 : 0;
    }
    return 0;
}

bool UserDefaults::boolForKey(const std::string& key) const {
    const auto value = objectForKey(key);
    if (!value) {
        return false;
    }
    if (const auto* boolean = value->boolValue()) {
        return *boolean;
    }
    if (const auto* integer = value->integerValue()) {
        return *integer != 0;
    }
    if (const auto* real = value->realValue()) {
        return *real != 0.0;
    }
    return false;
}

std::optional<std::string> UserDefaults::stringForKey(const std::string& key) const {
    return valueOfKind(objectForKey(key), &PropertyList::stringValue);
}

std::optional<PropertyList::Dictionary>
UserDefaults::dictionaryForKey(const std::string& key) const {
    return valueOfKind(objectForKey(key), &PropertyList::dictionaryValue);
}

std::optional<PropertyList::Array> UserDefaults::arrayForKey(const std::string& key) const {
    return valueOfKind(objectForKey(key), &PropertyList::arrayValue);
}

bool UserDefaults::setObject(const PropertyList& value, const std::string& key) {
    bool saved = false;
    {
        const std::lock_guard lock(mutex_);
        reloadIfChanged();
        const auto found = values_.find(key);
        const bool changed = found == values_.end() || !(found->second == value);
        values_.insert_or_assign(key, value);
        if (changed || unsaved_) {
            save();
        }
        saved = !unsaved_;
    }
    postDidChange();
    return saved;
}

bool UserDefaults::removeObject(const std::string& key) {
    bool saved = false;
    {
        const std::lock_guard lock(mutex_);
        reloadIfChanged();
        if (values_.erase(key) > 0 || unsaved_) {
            save();
        }
        saved = !unsaved_;
    }
    postDidChange();
    return saved;
}

std::optional<UserDefaults::FileStamp> UserDefaults::stampOf(const std::filesystem::path& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        return std::nullopt;
    }
    return stampOf(status);
}

UserDefaults::FileStamp UserDefaults::stampOf(const struct stat& status) {
    return FileStamp{static_cast<std::uint64_t>(status.st_dev),
                     static_cast<std::uint64_t>(status.st_ino),
                     static_cast<std::uint64_t>(status.st_size),
                     static_cast<std::int64_t>(status.st_mtim.tv_sec),
                     static_cast<std::int64_t>(status.st_mtim.tv_nsec)};
}

void UserDefaults::reloadIfChanged() const {
    const auto stamp = stampOf(filePath_);
    // Still no file after a failed first write counts as unchanged: the values stay.
    if (loaded_ && stamp == loadedStamp_) {
        return;
    }
    load(stamp);
}

void UserDefaults::load(const std::optional<FileStamp>& stamp) const {
    loaded_ = true;
    loadedStamp_ = stamp;
    corrupt_ = false;
    values_.clear();
    if (!stamp) {
        return;
    }
    // An unreadable file is not known to be damaged; it reads as empty and is left alone.
    const auto file = readFile(filePath_);
    if (file.kind == FileRead::Kind::unreadable) {
        return;
    }
    const std::string& contents = file.contents;
    auto root = file.kind == FileRead::Kind::contents && contents.size() <= maximumFileSize
                    ? PropertyListSerialization::fromXml(contents)
                    : std::nullopt;
    if (root && root->isDictionary()) {
        values_ = *root->dictionaryValue();
    } else {
        corrupt_ = true;
    }
}

void UserDefaults::save() {
    try {
        unsaved_ = !persist();
    } catch (const std::exception&) {
        unsaved_ = true;
    }
}

// Replaces the file as a whole (see `FileReplacer`); any failure leaves the old file as it was.
// A damaged file is set aside first. When a link led to it, the link is set aside, never what it
// leads to: that may be any file of the user's (or, for root, of the system's), and the
// preferences are then written as a file of their own.
bool UserDefaults::persist() {
    const auto throughLink = corrupt_ ? std::nullopt : writeTarget(filePath_);
    if (!throughLink && !moveCorruptFileAside(filePath_)) {
        return false;
    }
    corrupt_ = false;
    const auto target = throughLink.value_or(filePath_);
    if (!ensureFolder(target.parent_path())) {
        return false;
    }
    const auto written = FileReplacer::replace(
        target, PropertyListSerialization::toXml(PropertyList(values_)), modeFor(target));
    if (!written) {
        return false;
    }
    loadedStamp_ = stampOf(*written);
    return true;
}

// The damaged file is kept for the user under a name no other file has; it is never replaced.
bool UserDefaults::moveCorruptFileAside(const std::filesystem::path& target) const {
    const std::string base = target.string() + ".corrupt-" + timestampText();
    for (int attempt = 0; attempt < maximumCorruptCopies; ++attempt) {
        const std::string name = attempt == 0 ? base : base + "-" + std::to_string(attempt);
        if (::renameat2(AT_FDCWD, target.c_str(), AT_FDCWD, name.c_str(), RENAME_NOREPLACE) == 0 ||
            errno == ENOENT) {
            return true;
        }
        if (errno != EEXIST) {
            return false;
        }
    }
    return false;
}

void UserDefaults::postDidChange() {
    NotificationCenter::defaultCenter().post(didChangeNotification, this);
}

} // namespace orlix
