#include "App/HelpLocator.h"
#include "App/OpenRecentMenu.h"
#include "Support/ScopedEnvironment.h"
#include "Support/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>

#include <fstream>

namespace orlix {
namespace {

namespace fs = std::filesystem;

class OpenRecentMenuTests : public ::testing::Test {
protected:
    QStringList titles() {
        QStringList result;
        for (auto* action : menu.menu()->actions()) {
            result << (action->isSeparator() ? QStringLiteral("---") : action->text());
        }
        return result;
    }
    QAction* titled(const QString& title) {
        for (auto* action : menu.menu()->actions()) {
            if (action->text() == title) {
                return action;
            }
        }
        return nullptr;
    }

    testing::TemporaryDirectory config;
    testing::ScopedEnvironment configVariable{"XDG_CONFIG_HOME", config.path().string()};
    std::shared_ptr<RecentDocuments> recent =
        std::make_shared<RecentDocuments>(std::make_shared<UserDefaults>("co.corvendal.Orlix"));
    std::vector<std::string> opened;
    OpenRecentMenu menu{recent, [this](const std::string& path) { opened.push_back(path); }};
};

TEST_F(OpenRecentMenuTests, KeepsTheTenNewestInputsOnceEachNewestFirst) {
    for (int i = 0; i < 12; ++i) {
        recent->note(Url::fileUrl("/pictures/" + std::to_string(i) + ".png"));
    }
    recent->note(Url::fileUrl("/pictures/5.png"));
    const auto paths = recent->paths();
    ASSERT_EQ(paths.size(), 10u);
    EXPECT_EQ(paths.front(), "/pictures/5.png");
    EXPECT_EQ(paths[1], "/pictures/11.png");
    EXPECT_EQ(paths.back(), "/pictures/2.png") << "0 and 1 are forgotten";
    EXPECT_EQ(std::count(paths.begin(), paths.end(), "/pictures/5.png"), 1);
    EXPECT_EQ(RecentDocuments(std::make_shared<UserDefaults>("co.corvendal.Orlix")).paths(), paths)
        << "kept in the main domain";
}

TEST_F(OpenRecentMenuTests, TheMenuListsThemWhenItOpensAndChoosingOneOpensIt) {
    EXPECT_EQ(titles(), (QStringList{"---", "Clear Menu"}));
    EXPECT_FALSE(titled("Clear Menu")->isEnabled());
    recent->note(Url::fileUrl("/pictures/a.png"));
    recent->note(Url::fileUrl("/photos/b.jpg"));
    emit menu.menu()->aboutToShow();
    EXPECT_EQ(titles(), (QStringList{"b.jpg", "a.png", "---", "Clear Menu"}));
    EXPECT_EQ(titled("a.png")->toolTip(), "/pictures/a.png");
    titled("a.png")->trigger();
    EXPECT_EQ(opened, std::vector<std::string>{"/pictures/a.png"});
    titled("Clear Menu")->trigger();
    EXPECT_TRUE(recent->paths().empty());
    EXPECT_EQ(titles(), (QStringList{"---", "Clear Menu"}));
}

TEST(HelpLocatorTests, TheInstalledReadmeComesFirstThenTheSourceOne) {
    const testing::TemporaryDirectory prefix;
    const auto program = prefix.path() / "bin" / "orlix";
    EXPECT_EQ(HelpLocator::readme(program, "/src/README.md"), "/src/README.md");
    fs::create_directories(prefix.path() / "share" / "doc" / "orlix");
    std::ofstream(prefix.path() / "share" / "doc" / "orlix" / "README.md") << "# Orlix\n";
    EXPECT_EQ(HelpLocator::readme(program, "/src/README.md"),
              prefix.path() / "share" / "doc" / "orlix" / "README.md");
}

} // namespace
} // namespace orlix
