#include "Export/ExportPaths.h"

#include "Support/ScopedEnvironment.h"
#include "Support/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace orlix {
namespace {

namespace fs = std::filesystem;
using Location = ExportPaths::Location;

std::vector<fs::path> candidatePaths(const std::string& input, std::string_view extension,
                                     const std::vector<std::string>& suffixes,
                                     const std::vector<Location>& locations = {
                                         Location::sameAsInput}) {
    const auto paths = ExportPaths::make(Url::fileUrl(input), locations, extension, suffixes);
    std::vector<fs::path> result;
    for (const Url& url : paths ? paths->urls() : std::vector<Url>{}) {
        EXPECT_TRUE(url.isFileUrl());
        result.push_back(url.path());
    }
    return result;
}

TEST(ExportPathsTests, OnlyTheLastExtensionIsReplacedAndSuffixesFollowInOrder) {
    EXPECT_EQ(candidatePaths("/a/Photo.PNG", "png", {"-orlix", "@2x"}),
              std::vector<fs::path>{"/a/Photo-orlix@2x.png"});
    EXPECT_EQ(candidatePaths("/a/Photo.jpeg", "jpg", {"-orlix"}),
              std::vector<fs::path>{"/a/Photo-orlix.jpg"});
    EXPECT_EQ(candidatePaths("/a/archive.tar.png", "png", {"-orlix"}),
              std::vector<fs::path>{"/a/archive.tar-orlix.png"});
    EXPECT_EQ(candidatePaths("/a/README", "png", {"-orlix"}),
              std::vector<fs::path>{"/a/README-orlix.png"});
    EXPECT_EQ(candidatePaths("/a/.hidden", "png", {}), std::vector<fs::path>{"/a/.hidden.png"});
    EXPECT_EQ(candidatePaths("/a b/ünï code.png", "jpg", {"-orlix"}),
              std::vector<fs::path>{"/a b/ünï code-orlix.jpg"});
    EXPECT_EQ(candidatePaths("/Photo.png", "png", {"-orlix"}),
              std::vector<fs::path>{"/Photo-orlix.png"});
}

TEST(ExportPathsTests, DefaultLocationsAreTheInputFolderThenPictures) {
    testing::TemporaryDirectory home;
    testing::ScopedEnvironment homeVariable("HOME", home.path().string());
    testing::ScopedEnvironment configVariable("XDG_CONFIG_HOME", std::nullopt);
    EXPECT_EQ(defaultExportLocations(),
              (std::vector<Location>{Location::sameAsInput, Location::userPictures}));
    EXPECT_EQ(candidatePaths("/in/P.png", "png", {"-orlix"}, defaultExportLocations()),
              (std::vector<fs::path>{"/in/P-orlix.png", home.path() / "Pictures/P-orlix.png"}));
    EXPECT_EQ(candidatePaths("/in/P.png", "png", {"-orlix"}, {Location::userPictures}),
              std::vector<fs::path>{home.path() / "Pictures/P-orlix.png"});

    fs::create_directory(home.path() / ".config");
    std::ofstream(home.path() / ".config/user-dirs.dirs") << "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n";
    EXPECT_EQ(ExportPaths::folder(Location::userPictures, Url::fileUrl("/in/P.png")),
              Url::fileUrl(home.path() / "Bilder"));
    EXPECT_EQ(ExportPaths::folder(Location::sameAsInput, Url::fileUrl("/in/P.png")),
              Url::fileUrl("/in"));
}

TEST(ExportPathsTests, NoCandidatesMeansNoPaths) {
    EXPECT_FALSE(ExportPaths::make(Url::fileUrl("/a/b.png"), {}, "png", {"-orlix"}));
}

} // namespace
} // namespace orlix
