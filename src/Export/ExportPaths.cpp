#include "Export/ExportPaths.h"

#include "Platform/UserDirectories.h"

namespace orlix {

namespace {

Url candidate(const Url& folder, const Url& input, std::string_view pathExtension,
              const std::vector<std::string>& suffixes) {
    std::string path =
        folder.appendingPathComponent(input.lastPathComponent()).deletingPathExtension().path();
    for (const std::string& suffix : suffixes) {
        path += suffix;
    }
    return Url::fileUrl(path + "." + std::string(pathExtension));
}

} // namespace

ExportPaths::ExportPaths(std::vector<Url> urls)
    : urls_(std::move(urls)) {}

std::optional<ExportPaths> ExportPaths::make(const Url& url, const std::vector<Location>& locations,
                                             std::string_view pathExtension,
                                             const std::vector<std::string>& suffixes) {
    std::vector<Url> urls;
    for (const Location location : locations) {
        if (const auto found = folder(location, url)) {
            urls.push_back(candidate(*found, url, pathExtension, suffixes));
        }
    }
    if (urls.empty()) {
        return std::nullopt;
    }
    return ExportPaths(std::move(urls));
}

std::optional<Url> ExportPaths::folder(Location location, const Url& url) {
    switch (location) {
    case Location::sameAsInput:
        return url.deletingLastPathComponent();
    case Location::userPictures:
        return Url::fileUrl(UserDirectories::picturesDirectory());
    case Location::userDesktop:
    case Location::userDocuments:
        // The platform layer names no such folders yet; an unnamed folder is skipped.
        return std::nullopt;
    }
    return std::nullopt;
}

const std::vector<ExportPaths::Location>& defaultExportLocations() {
    static const std::vector<ExportPaths::Location> locations{ExportPaths::Location::sameAsInput,
                                                              ExportPaths::Location::userPictures};
    return locations;
}

} // namespace orlix
