#pragma once

#include "Platform/PropertyList.h"

#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace orlix {

// A persistent per-user store of property-list values, one per domain. The values live in an XML
// property list at $XDG_CONFIG_HOME/orlix/<domain>.plist. Safe to use from any thread.
class UserDefaults {
public:
    // Posted on the changing thread after every change; the sender is the changed store.
    static const std::string didChangeNotification;
    static const std::string standardDomain; // "co.corvendal.Orlix"

    // The store of the application's own domain. Each call returns a store that reads the file
    // afresh when it changed on disk, so another process's writes are seen on the next read.
    static std::shared_ptr<UserDefaults> standardUserDefaults();
    // The store of a named suite (the helper's domain); nullptr for an empty or unsafe name.
    static std::shared_ptr<UserDefaults> suite(const std::string& suiteName);

    explicit UserDefaults(std::string domain);

    const std::string& domain() const { return domain_; }
    std::filesystem::path filePath() const;

    std::optional<PropertyList> objectForKey(const std::string& key) const;
    // A number as an integer (reals truncated toward zero, booleans 0 or 1); 0 for anything else.
    std::int64_t integerForKey(const std::string& key) const;
    // A boolean as itself, a number as "not zero"; false for anything else.
    bool boolForKey(const std::string& key) const;
    std::optional<std::string> stringForKey(const std::string& key) const;
    std::optional<PropertyList::Dictionary> dictionaryForKey(const std::string& key) const;
    std::optional<PropertyList::Array> arrayForKey(const std::string& key) const;

    // Both answer whether the store's values, this change included, are on disk; a failed write
    // is tried again with the next change.
    bool setObject(const PropertyList& value, const std::string& key);
    bool removeObject(const std::string& key);

private:
    // Identifies one version of the file: every write renames a new file into place, so the
    // inode changes even when the size and the modification time do not.
    struct FileStamp {
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        std::uint64_t size = 0;
        std::int64_t modifiedSeconds = 0;
        std::int64_t modifiedNanoseconds = 0;
        bool operator==(const FileStamp&) const = default;
    };

    UserDefaults(std::string domain, std::filesystem::path filePath);
    static std::shared_ptr<UserDefaults> sharedStore(const std::string& domain);
    static std::optional<FileStamp> stampOf(const std::filesystem::path& path);
    static FileStamp stampOf(const struct stat& status);

    void reloadIfChanged() const;
    void load(const std::optional<FileStamp>& stamp) const;
    void save();
    bool persist();
    bool moveCorruptFileAside(const std::filesystem::path& target) const;
    void postDidChange();

    std::string domain_;
    std::filesystem::path filePath_;
    mutable std::mutex mutex_;
    mutable PropertyList::Dictionary values_;
    // Whether the file has been looked at, and which version of it the values came from or were
    // last written to (absent: there was no file).
    mutable bool loaded_ = false;
    mutable std::optional<FileStamp> loadedStamp_;
    // The file in place is damaged; it must be moved aside before anything replaces it.
    mutable bool corrupt_ = false;
    // The values hold changes that a failed write kept from the file.
    bool unsaved_ = false;
};

} // namespace orlix
