#include "Shared/UriList.h"

#include <gtest/gtest.h>

namespace orlix {
namespace {

std::vector<std::string> pathsOf(std::string_view text) {
    std::vector<std::string> paths;
    for (const auto& url : UriList::fileUrls(text)) {
        paths.push_back(url.path().string());
    }
    return paths;
}

TEST(UriListTests, LinesAreLocalFileUrisAndCommentsAreSkipped) {
    EXPECT_EQ(pathsOf("file:///tmp/a.png\r\n# a comment\r\nfile://localhost/tmp/b.jpg\r\n"),
              (std::vector<std::string>{"/tmp/a.png", "/tmp/b.jpg"}));
    // Bare line feeds, blank lines and a last line without an end.
    EXPECT_EQ(pathsOf("\nfile:///tmp/a.png\n\nfile:///tmp/c.png"),
              (std::vector<std::string>{"/tmp/a.png", "/tmp/c.png"}));
    EXPECT_TRUE(pathsOf("").empty());
    // Padding around a URI is no part of it.
    EXPECT_EQ(pathsOf("  file:///tmp/a.png \t\r\n\t# indented comment\n"),
              (std::vector<std::string>{"/tmp/a.png"}));
}

TEST(UriListTests, EscapesAreDecodedAndWhatIsNoLocalFileIsDropped) {
    EXPECT_EQ(pathsOf("file:///tmp/My%20Photos/%C3%A9t%C3%A9%23.png\r\n"),
              (std::vector<std::string>{"/tmp/My Photos/\xC3\xA9t\xC3\xA9#.png"}));
    EXPECT_TRUE(pathsOf("file://otherhost/tmp/a.png\r\n"
                        "https://example.invalid/a.png\r\n"
                        "/tmp/not-a-uri.png\r\n"
                        "file:///tmp/%ZZbad.png\r\n"
                        "file:///tmp/a%2Fb.png\r\n")
                    .empty());
}

} // namespace
} // namespace orlix
