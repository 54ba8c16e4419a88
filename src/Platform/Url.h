#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace orlix {

// A URL as the file-handling code needs it: file URLs over a filesystem path, and other URLs kept
// as their text. Path rules follow the desktop conventions: the extension is the text after the
// last dot of the last component (none for a leading dot only), compared case-insensitively.
// The path of a non-file URL can be read, but the path-changing operations leave it as it is.
class Url {
public:
    Url() = default;
    static Url fileUrl(const std::filesystem::path& path);
    // Parses "file:" URLs (percent-decoded; only an empty host or "localhost" is local) and keeps
    // any other scheme as a non-file URL. Absent for text without a scheme, and for a local file
    // URL that names no absolute path: a malformed escape, or an escaped "/" or NUL.
    static std::optional<Url> parse(std::string_view text);

    bool isFileUrl() const { return isFile_; }
    const std::filesystem::path& path() const { return path_; }
    std::string absoluteString() const;
    std::string lastPathComponent() const;
    std::string pathExtension() const;
    // Case-insensitive for ASCII letters, which is what image extensions use; other bytes must
    // match exactly.
    bool pathExtensionEquals(std::string_view extension) const;
    Url deletingLastPathComponent() const;
    Url deletingPathExtension() const;
    Url appendingPathComponent(std::string_view component) const;
    Url appendingPathExtension(std::string_view extension) const;

    bool operator==(const Url&) const = default;

private:
    Url withPath(std::string path) const;

    bool isFile_ = false;
    std::filesystem::path path_;
    std::string text_;
};

struct UrlHash {
    std::size_t operator()(const Url& url) const;
};

} // namespace orlix
