#include "Platform/Url.h"

#include <gtest/gtest.h>

#include <unordered_set>

namespace orlix {
namespace {

TEST(UrlTests, PathExtensionFollowsTheLastDotOfTheLastComponent) {
    const auto extension = [](const char* path) { return Url::fileUrl(path).pathExtension(); };
    EXPECT_EQ(extension("/pictures/photo.png"), "png");
    EXPECT_EQ(extension("/pictures/archive.tar.gz"), "gz");
    EXPECT_EQ(extension("/pictures/.png"), "");
    EXPECT_EQ(extension("/pictures/name."), "");
    EXPECT_EQ(extension("/pictures/noextension"), "");
    EXPECT_EQ(extension("/folder.d/noextension"), "");
    EXPECT_EQ(extension("/pictures/folder.d/"), "d");
    EXPECT_EQ(extension("/"), "");

    EXPECT_TRUE(Url::fileUrl("/p/IMAGE.PNG").pathExtensionEquals("png"));
    EXPECT_TRUE(Url::fileUrl("/p/image.Jpeg").pathExtensionEquals("JPEG"));
    EXPECT_FALSE(Url::fileUrl("/p/image.png.txt").pathExtensionEquals("png"));
    EXPECT_FALSE(Url::fileUrl("/p/image.pn").pathExtensionEquals("png"));
    EXPECT_FALSE(Url::fileUrl("/p/image.ÉPS").pathExtensionEquals("éps"));
}

TEST(UrlTests, PathOperationsWorkOnComponents) {
    const Url photo = Url::fileUrl("/home/ann/My Pictures/holiday.final.jpeg");
    EXPECT_EQ(photo.lastPathComponent(), "holiday.final.jpeg");
    EXPECT_EQ(photo.deletingPathExtension().path(), "/home/ann/My Pictures/holiday.final");
    EXPECT_EQ(photo.deletingPathExtension().appendingPathExtension("png").path(),
              "/home/ann/My Pictures/holiday.final.png");
    EXPECT_EQ(photo.deletingLastPathComponent().path(), "/home/ann/My Pictures");
    EXPECT_EQ(photo.deletingLastPathComponent().appendingPathComponent("copy@2x.png").path(),
              "/home/ann/My Pictures/copy@2x.png");
    EXPECT_EQ(Url::fileUrl("/folder/").appendingPathComponent("/file").path(), "/folder/file");
    EXPECT_EQ(Url::fileUrl("/").appendingPathComponent("file").path(), "/file");
    EXPECT_EQ(Url::fileUrl("/file").deletingLastPathComponent().path(), "/");
    EXPECT_EQ(Url::fileUrl("/").deletingLastPathComponent().path(), "/");
    EXPECT_EQ(Url::fileUrl("/").lastPathComponent(), "/");
    EXPECT_EQ(Url::fileUrl("/dir/.hidden").deletingPathExtension().path(), "/dir/.hidden");
    EXPECT_EQ(Url::fileUrl("/dir/name.").deletingPathExtension().path(), "/dir/name");
    EXPECT_EQ(Url::fileUrl("/dir/a").appendingPathExtension("").path(), "/dir/a");
    EXPECT_TRUE(Url::fileUrl("relative/file.png").path().is_absolute());
}

TEST(UrlTests, FileUrlsEncodeAndDecodeTheirPath) {
    const std::string awkward = "/tmp/-rf name\nwith%25 #?.png";
    const Url url = Url::fileUrl(awkward);
    EXPECT_EQ(url.absoluteString(), "file:///tmp/-rf%20name%0Awith%2525%20%23%3F.png");
    const auto parsed = Url::parse(url.absoluteString());
    ASSERT_TRUE(parsed);
    EXPECT_EQ(*parsed, url);
    EXPECT_EQ(parsed->lastPathComponent(), "-rf name\nwith%25 #?.png");

    const auto unicode = Url::parse("file:///photos/caf%C3%A9%20%E6%97%A5.PNG");
    ASSERT_TRUE(unicode);
    EXPECT_TRUE(unicode->isFileUrl());
    EXPECT_EQ(unicode->path(), "/photos/café 日.PNG");
    EXPECT_TRUE(unicode->pathExtensionEquals("png"));
    EXPECT_EQ(Url::fileUrl("/photos/café.png").absoluteString(), "file:///photos/caf%C3%A9.png");
}

TEST(UrlTests, ParsesLocalFileUrlsOnly) {
    EXPECT_EQ(Url::parse("file:///a/b.png"), Url::fileUrl("/a/b.png"));
    EXPECT_EQ(Url::parse("file://localhost/a/b.png"), Url::fileUrl("/a/b.png"));
    EXPECT_EQ(Url::parse("FILE://LocalHost/a"), Url::fileUrl("/a"));
    EXPECT_EQ(Url::parse("file:/a/b.png"), Url::fileUrl("/a/b.png"));
    EXPECT_EQ(Url::parse("file:///a/b.png?query#fragment"), Url::fileUrl("/a/b.png"));

    const auto remote = Url::parse("file://server/share/b.png");
    ASSERT_TRUE(remote);
    EXPECT_FALSE(remote->isFileUrl());
    EXPECT_EQ(remote->absoluteString(), "file://server/share/b.png");

    const auto web = Url::parse("https://example.com/images/a%20b.png?size=2");
    ASSERT_TRUE(web);
    EXPECT_FALSE(web->isFileUrl());
    EXPECT_EQ(web->absoluteString(), "https://example.com/images/a%20b.png?size=2");
    EXPECT_EQ(web->lastPathComponent(), "a b.png");
    EXPECT_EQ(web->appendingPathComponent("x"), *web);

    for (const char* refused :
         {"/a/b.png", "a/b.png", "", ":nothing", "file:relative", "file://localhost",
          "file:///a%2Fb", "file:///a%00b", "file:///a%zz", "file:///a%4"}) {
        EXPECT_FALSE(Url::parse(refused)) << refused;
    }
    // A raw NUL would cut the path short at the system call and name another file.
    using namespace std::string_view_literals;
    EXPECT_FALSE(Url::parse("file:///a/b\0.png"sv));
    EXPECT_FALSE(Url::parse("file:///a\0/b.png"sv));
}

TEST(UrlTests, EqualUrlsHashEqually) {
    std::unordered_set<Url, UrlHash> urls;
    urls.insert(Url::fileUrl("/a/b.png"));
    urls.insert(*Url::parse("file:///a/b.png"));
    urls.insert(*Url::parse("file://localhost/a/b.png"));
    urls.insert(Url::fileUrl("/a/c.png"));
    urls.insert(*Url::parse("https://example.com/a/b.png"));
    EXPECT_EQ(urls.size(), 3u);

    // Paths that differ only in repeated separators are the same path, so the same key.
    const auto doubled = *Url::parse("file:///a//b.png");
    ASSERT_EQ(doubled, Url::fileUrl("/a/b.png"));
    EXPECT_EQ(UrlHash{}(doubled), UrlHash{}(Url::fileUrl("/a/b.png")));
    EXPECT_EQ(urls.count(doubled), 1u);
    for (const char* root : {"file://///", "file:///#fragment", "file:/"}) {
        const auto url = Url::parse(root);
        ASSERT_TRUE(url) << root;
        EXPECT_EQ(*url, Url::fileUrl("//")) << root;
        EXPECT_EQ(UrlHash{}(*url), UrlHash{}(Url::fileUrl("//"))) << root;
    }
}

} // namespace
} // namespace orlix
