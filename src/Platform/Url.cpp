#include "Platform/Url.h"

#include <algorithm>
#include <functional>

namespace orlix {

namespace {

constexpr std::string_view fileScheme = "file";

char asciiLower(char character) {
    return (character >= 'A' && character <= 'Z') ? static_cast<char>(character - 'A' + 'a')
                                                  : character;
}

bool equalsIgnoringAsciiCase(std::string_view left, std::string_view right) {
    if (left.size() != right.size()) {
        return false;
    }
    for (std::size_t index = 0; index < left.size(); ++index) {
        if (asciiLower(left[index]) != asciiLower(right[index])) {
            return false;
        }
    }
    return true;
}

bool isAsciiLetter(char character) {
    return asciiLower(character) >= 'a' && asciiLower(character) <= 'z';
}

bool isAsciiDigit(char character) {
    return character >= '0' && character <= '9';
}

// RFC 3986: ALPHA *( ALPHA / DIGIT / "+" / "-" / "." ), followed by ":".
std::optional<std::string_view> schemeOf(std::string_view text) {
    const auto colon = text.find(':');
    if (colon == 0 || colon == std::string_view::npos || !isAsciiLetter(text[0])) {
        return std::nullopt;
    }
    for (const char character : text.substr(0, colon)) {
        if (!isAsciiLetter(character) && !isAsciiDigit(character) && character != '+' &&
            character != '-' && character != '.') {
            return std::nullopt;
        }
    }
    return text.substr(0, colon);
}

int hexValue(char character) {
    if (isAsciiDigit(character)) {
        return character - '0';
    }
    const char lower = asciiLower(character);
    return (lower >= 'a' && lower <= 'f') ? lower - 'a' + 10 : -1;
}

// Absent for a malformed escape, or one that stands for a byte no file name may hold: a decoded
// "/" would silently name a different file, a NUL (escaped or not) would cut the path short.
std::optional<std::string> percentDecodedPath(std::string_view text) {
    std::string decoded;
    decoded.reserve(text.size());
    for (std::size_t index = 0; index < text.size(); ++index) {
        if (text[index] == '\0') {
            return std::nullopt;
        }
        if (text[index] != '%') {
            decoded += text[index];
            continue;
        }
        const int high = index + 2 < text.size() ? hexValue(text[index + 1]) : -1;
        const int low = index + 2 < text.size() ? hexValue(text[index + 2]) : -1;
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        const char byte = static_cast<char>(high * 16 + low);
        if (byte == '/' || byte == '\0') {
            return std::nullopt;
        }
        decoded += byte;
        index += 2;
    }
    return decoded;
}

bool isPathCharacter(unsigned char character) {
    constexpr std::string_view allowed = "-._~/!$&'()*+,;=:@";
    return isAsciiLetter(static_cast<char>(character)) ||
           isAsciiDigit(static_cast<char>(character)) ||
           allowed.find(static_cast<char>(character)) != std::string_view::npos;
}

std::string percentEncodedPath(const std::string& path) {
    constexpr std::string_view digits = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(path.size());
    for (const char character : path) {
        const auto byte = static_cast<unsigned char>(character);
        if (isPathCharacter(byte)) {
            encoded += character;
        } else {
            encoded += '%';
            encoded += digits[byte >> 4];
            encoded += digits[byte & 0x0F];
        }
    }
    return encoded;
}

// The path of a hierarchical URL without its query and fragment; "file:" URLs may omit the
// authority ("file:/a") or carry one ("file://host/a").
struct UrlParts {
    std::string_view host;
    std::string_view path;
};

UrlParts splitAfterScheme(std::string_view rest) {
    rest = rest.substr(0, rest.find_first_of("?#"));
    if (rest.substr(0, 2) != "//") {
        return {{}, rest};
    }
    rest.remove_prefix(2);
    const auto slash = rest.find('/');
    if (slash == std::string_view::npos) {
        return {rest, {}};
    }
    return {rest.substr(0, slash), rest.substr(slash)};
}

// Path text without trailing separators, except that the root stays "/".
std::string withoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

// The position of the dot that starts the extension of `component`, or npos.
std::size_t extensionDot(std::string_view component) {
    const auto dot = component.rfind('.');
    return (dot == std::string_view::npos || dot == 0) ? std::string_view::npos : dot;
}

} // namespace

Url Url::fileUrl(const std::filesystem::path& path) {
    Url url;
    url.isFile_ = true;
    std::error_code error;
    const auto absolute = path.is_absolute() ? path : std::filesystem::absolute(path, error);
    url.path_ = error ? path : absolute;
    return url;
}

std::optional<Url> Url::parse(std::string_view text) {
    const auto scheme = schemeOf(text);
    if (!scheme) {
        return std::nullopt;
    }
    const UrlParts parts = splitAfterScheme(text.substr(scheme->size() + 1));
    const bool local = parts.host.empty() || equalsIgnoringAsciiCase(parts.host, "localhost");
    if (equalsIgnoringAsciiCase(*scheme, fileScheme) && local) {
        const auto path = percentDecodedPath(parts.path);
        if (!path || path->empty() || path->front() != '/') {
            return std::nullopt;
        }
        return fileUrl(*path);
    }
    Url url;
    url.text_ = std::string(text);
    url.path_ = percentDecodedPath(parts.path).value_or(std::string(parts.path));
    return url;
}

std::string Url::absoluteString() const {
    return isFile_ ? "file://" + percentEncodedPath(path_.string()) : text_;
}

std::string Url::lastPathComponent() const {
    const std::string path = withoutTrailingSlashes(path_.string());
    if (path == "/") {
        return path;
    }
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Url::pathExtension() const {
    const std::string component = lastPathComponent();
    const auto dot = extensionDot(component);
    return dot == std::string::npos ? std::string() : component.substr(dot + 1);
}

bool Url::pathExtensionEquals(std::string_view extension) const {
    return equalsIgnoringAsciiCase(pathExtension(), extension);
}

Url Url::deletingLastPathComponent() const {
    const std::string path = withoutTrailingSlashes(path_.string());
    const auto slash = path.rfind('/');
    if (!isFile_ || slash == std::string::npos || path == "/") {
        return *this;
    }
    return withPath(slash == 0 ? std::string("/") : path.substr(0, slash));
}

Url Url::deletingPathExtension() const {
    const std::string component = lastPathComponent();
    const auto dot = extensionDot(component);
    if (!isFile_ || dot == std::string::npos || component == "..") {
        return *this;
    }
    const std::string path = withoutTrailingSlashes(path_.string());
    return withPath(path.substr(0, path.size() - (component.size() - dot)));
}

Url Url::appendingPathComponent(std::string_view component) const {
    const auto start = component.find_first_not_of('/');
    if (!isFile_ || start == std::string_view::npos) {
        return *this;
    }
    std::string path = withoutTrailingSlashes(path_.string());
    if (path.empty() || path.back() != '/') {
        path += '/';
    }
    return withPath(path + std::string(component.substr(start)));
}

Url Url::appendingPathExtension(std::string_view extension) const {
    const std::string path = withoutTrailingSlashes(path_.string());
    if (!isFile_ || extension.empty() || path == "/") {
        return *this;
    }
    return withPath(path + "." + std::string(extension));
}

Url Url::withPath(std::string path) const {
    Url url = *this;
    url.path_ = std::move(path);
    return url;
}

std::size_t UrlHash::operator()(const Url& url) const {
    // File URLs are equal when their paths' components are ("/a//b" is "/a/b", "///" is "/"),
    // so their hash comes from the path with each run of separators taken as one. (The
    // standard library's own path hash tells "//" from "/" although the paths compare equal.)
    if (url.isFileUrl()) {
        std::string path = url.path().string();
        path.erase(std::unique(path.begin(), path.end(),
                               [](char left, char right) { return left == '/' && right == '/'; }),
                   path.end());
        return std::hash<std::string>{}(path) ^ 1u;
    }
    return std::hash<std::string>{}(url.absoluteString());
}

} // namespace orlix
