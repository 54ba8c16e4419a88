#include "Helper/HelperCommandLine.h"
#include "Helper/MainProgramLocator.h"

#include <gtest/gtest.h>

namespace orlix::helper {
namespace {

using Mode = HelperCommandLine::Mode;
using SettingsType = ServiceProvider::SettingsType;

std::vector<std::string> pathsOf(const std::vector<Url>& urls) {
    std::vector<std::string> paths;
    for (const auto& url : urls) {
        paths.push_back(url.path().string());
    }
    return paths;
}

TEST(HelperCommandLineTests, NoArgumentsStartTheBackgroundHelper) {
    EXPECT_EQ(HelperCommandLine::parse({}, "/home/u").mode, Mode::background);
}

TEST(HelperCommandLineTests, TheServiceTakesPathsAndFileUrisRelativeToTheCallersFolder) {
    const auto commandLine = HelperCommandLine::parse(
        {"--service", "quickOptimize", "a.png", "../b.JPG", "/abs/c.gif", "file:///x/d%20e.png",
         "file://elsewhere/f.png", "https://example.invalid/g.png", "", "x:y.png"},
        "/home/u/pictures");
    EXPECT_EQ(commandLine.mode, Mode::service);
    EXPECT_EQ(commandLine.serviceEntry, SettingsType::quickOptimize);
    EXPECT_EQ(pathsOf(commandLine.files),
              (std::vector<std::string>{"/home/u/pictures/a.png", "/home/u/b.JPG", "/abs/c.gif",
                                        "/x/d e.png", "/home/u/pictures/x:y.png"}));
}

TEST(HelperCommandLineTests, EveryEntryIsKnownByItsNameAndFilesMayFollowADoubleDash) {
    EXPECT_EQ(HelperCommandLine::parse({"--service", "resizeAndOptimize"}, "/").serviceEntry,
              SettingsType::resizeAndOptimize);
    const auto previous =
        HelperCommandLine::parse({"--service", "usePreviousSettings", "--", "--x.png"}, "/p");
    EXPECT_EQ(previous.serviceEntry, SettingsType::usePreviousSettings);
    EXPECT_EQ(pathsOf(previous.files), (std::vector<std::string>{"/p/--x.png"}));

    EXPECT_EQ(HelperCommandLine::parse({"--service"}, "/").mode, Mode::invalid);
    EXPECT_EQ(HelperCommandLine::parse({"--service", "quickoptimize", "a.png"}, "/").mode,
              Mode::invalid);
    EXPECT_EQ(HelperCommandLine::parse({"a.png"}, "/").mode, Mode::invalid);
}

TEST(HelperCommandLineTests, WithoutAFolderOnlyAbsoluteFilesCount) {
    EXPECT_EQ(pathsOf(HelperCommandLine::filesOf({"a.png", "/b.png", "file:///c.png"}, {})),
              (std::vector<std::string>{"/b.png", "/c.png"}));
}

TEST(MainProgramLocatorTests, TheHelpersOwnTreeComesBeforeThePath) {
    EXPECT_EQ(MainProgramLocator::candidates("/src/build/bin/orlix-helper"),
              (std::vector<std::filesystem::path>{"/src/build/bin/orlix", "orlix"}));
    EXPECT_EQ(MainProgramLocator::candidates("/opt/o/libexec/orlix/orlix-helper"),
              (std::vector<std::filesystem::path>{"/opt/o/bin/orlix", "orlix"}));
    EXPECT_EQ(MainProgramLocator::candidates({}), (std::vector<std::filesystem::path>{"orlix"}));
    EXPECT_TRUE(MainProgramLocator::ownProgram().is_absolute());
}

} // namespace
} // namespace orlix::helper
