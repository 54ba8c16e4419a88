#include "App/CommandLine.h"

#include <gtest/gtest.h>

namespace orlix {
namespace {

TEST(CommandLineTests, WordsWithoutADashAndEverythingAfterTheSeparatorAreFiles) {
    const auto line = CommandLine::parse(
        {"-quick-optimize", "a.png", "-style", "b c.jpg", "--", "-dash.png", "--", ""});
    EXPECT_EQ(line.paths, (std::vector<std::string>{"a.png", "b c.jpg", "-dash.png", "--"}));
    EXPECT_EQ(line.arguments.front(), "-quick-optimize") << "arguments are kept whole";
}

TEST(CommandLineTests, OnlyLocalFileURIsNameFiles) {
    const auto line = CommandLine::parse({"file:///tmp/a%20b.png", "file://localhost/tmp/c.jpg",
                                          "file://elsewhere/tmp/d.png", "file:relative.png"});
    EXPECT_EQ(line.paths, (std::vector<std::string>{"/tmp/a b.png", "/tmp/c.jpg"}));
}

TEST(CommandLineTests, HelpAndVersionAreAskedOnlyBeforeTheSeparator) {
    using Request = CommandLine::Request;
    EXPECT_EQ(CommandLine::parse({"a.png", "--help"}).request, Request::help);
    EXPECT_EQ(CommandLine::parse({"--version", "--help"}).request, Request::version)
        << "the first one given wins";
    const auto files = CommandLine::parse({"--", "--help", "--version"});
    EXPECT_EQ(files.request, Request::run);
    EXPECT_EQ(files.paths, (std::vector<std::string>{"--help", "--version"}));
    // Every other dash word keeps its meaning: a launch argument, never a request or a file.
    const auto others = CommandLine::parse({"-help", "-version", "--helpme", "-quick-optimize"});
    EXPECT_EQ(others.request, Request::run);
    EXPECT_TRUE(others.paths.empty());
}

TEST(CommandLineTests, TheLoginItemSwitchesAreNeverFilesUnlessAfterTheSeparator) {
    const auto line = CommandLine::parse(
        {" -uninstall-helper", "-no-helper-install\t", "a.png", "--", " -force-restart-helper"});
    EXPECT_EQ(line.paths, (std::vector<std::string>{"a.png", " -force-restart-helper"}));
    EXPECT_EQ(line.arguments.front(), " -uninstall-helper");
}

} // namespace
} // namespace orlix
