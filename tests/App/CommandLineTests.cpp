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

} // namespace
} // namespace orlix
