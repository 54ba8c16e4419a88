#include "Platform/UserDirectories.h"
#include "Support/ScopedEnvironment.h"
#include "Support/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <fstream>

namespace orlix {
namespace {

class UserDirectoriesTests : public ::testing::Test {
protected:
    void writeUserDirs(const std::string& contents) {
        std::ofstream(config.path() / "user-dirs.dirs") << contents;
    }

    testing::TemporaryDirectory config;
    testing::ScopedEnvironment home{"HOME", std::string("/home/ann")};
    testing::ScopedEnvironment configHome{"XDG_CONFIG_HOME", config.path().string()};
};

TEST_F(UserDirectoriesTests, ReadsThePicturesFolderFromUserDirs) {
    writeUserDirs("# This file is written by xdg-user-dirs-update\n"
                  "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                  "# XDG_PICTURES_DIR=\"$HOME/Commented\"\n"
                  "  XDG_PICTURES_DIR = \"$HOME/Bilder und \\\"Fotos\\\"\"  # trailing note\n");
    EXPECT_EQ(UserDirectories::picturesDirectory(), "/home/ann/Bilder und \"Fotos\"");

    writeUserDirs("XDG_PICTURES_DIR=\"/media/photos\"\nXDG_PICTURES_DIR=\"/media/later\"\n");
    EXPECT_EQ(UserDirectories::picturesDirectory(), "/media/later");

    writeUserDirs("XDG_PICTURES_DIR=\"$HOME/\"\n");
    EXPECT_EQ(UserDirectories::picturesDirectory(), "/home/ann");
}

TEST_F(UserDirectoriesTests, FallsBackToPicturesInHomeForUnusableEntries) {
    EXPECT_EQ(UserDirectories::picturesDirectory(), "/home/ann/Pictures"); // no file

    for (const char* unusable :
         {"XDG_PICTURES_DIR=\"relative/path\"\n", "XDG_PICTURES_DIR=$HOME/Unquoted\n",
          "XDG_PICTURES_DIR=\"$HOME/Unclosed\n", "XDG_PICTURES_DIRS=\"/elsewhere\"\n",
          "XDG_PICTURES_DIR=\"$HOMESICK/x\"\n", "XDG_MUSIC_DIR=\"/music\"\n"}) {
        writeUserDirs(unusable);
        EXPECT_EQ(UserDirectories::picturesDirectory(), "/home/ann/Pictures") << unusable;
    }
}

TEST_F(UserDirectoriesTests, BaseFoldersFollowTheEnvironment) {
    EXPECT_EQ(UserDirectories::homeDirectory(), "/home/ann");
    EXPECT_EQ(UserDirectories::configDirectory(), config.path());
    {
        const testing::ScopedEnvironment relative("XDG_CONFIG_HOME", std::string("config"));
        EXPECT_EQ(UserDirectories::configDirectory(), "/home/ann/.config");
    }
    {
        const testing::ScopedEnvironment unset("HOME", std::nullopt);
        EXPECT_TRUE(UserDirectories::homeDirectory().is_absolute());
    }
    {
        const testing::ScopedEnvironment runtime("XDG_RUNTIME_DIR", std::string("/run/user/1000"));
        EXPECT_EQ(UserDirectories::runtimeDirectory(), "/run/user/1000");
    }
    {
        const testing::ScopedEnvironment runtime("XDG_RUNTIME_DIR", std::nullopt);
        EXPECT_FALSE(UserDirectories::runtimeDirectory());
    }
}

} // namespace
} // namespace orlix
