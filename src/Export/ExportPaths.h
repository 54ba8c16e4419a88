#pragma once

#include "Platform/Url.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orlix {

// The output files one export may create, in the order they are tried.
class ExportPaths {
public:
    enum class Location { sameAsInput, userPictures, userDesktop, userDocuments };

    // One candidate per location whose folder can be named: the input's name without its last
    // extension, then the suffixes, then `pathExtension`. Absent when no location gives a folder.
    static std::optional<ExportPaths> make(const Url& url, const std::vector<Location>& locations,
                                           std::string_view pathExtension,
                                           const std::vector<std::string>& suffixes);

    // The folder of a location for the given input file, or absent when it cannot be named.
    static std::optional<Url> folder(Location location, const Url& url);

    const std::vector<Url>& urls() const { return urls_; }

private:
    explicit ExportPaths(std::vector<Url> urls);

    std::vector<Url> urls_;
};

// Beside the input, then in the user's Pictures folder.
const std::vector<ExportPaths::Location>& defaultExportLocations();

} // namespace orlix
