#include "Desktop/FreedesktopFileRevealer.h"

#include "DesktopTestSupport.h"
#include "FakeFileManager.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QStringList>

#include <filesystem>
#include <vector>

namespace orlix {
namespace {

using ::testing::ElementsAre;
using testing::FakeFileManager;
using testing::FakeServiceHost;
using ::testing::IsEmpty;

const QString kService = QStringLiteral("org.freedesktop.FileManager1");
const QString kPath = QStringLiteral("/org/freedesktop/FileManager1");

class FreedesktopFileRevealerTests : public testing::SessionBusTest {
protected:
    FreedesktopFileRevealer revealer(QDBusConnection connection) {
        return FreedesktopFileRevealer(
            connection, [this](const std::filesystem::path& folder) { opened.push_back(folder); });
    }

    const std::vector<Url> items{Url::fileUrl("/pictures/a.png"),
                                 Url::fileUrl("/other place/b c.png"),
                                 Url::fileUrl("/pictures/d.png"), Url::fileUrl("/pictures/a.png"),
                                 *Url::parse("https://example.com/e.png")};
    testing::BusConnection appBus{QStringLiteral("orlix-test-revealing-app")};
    std::vector<std::filesystem::path> opened;
};

TEST_F(FreedesktopFileRevealerTests, AsksTheFileManagerToSelectTheItemsOfEachFolder) {
    FakeServiceHost host(QStringLiteral("orlix-test-file-manager"));
    auto* fileManager = new FakeFileManager(false);
    ASSERT_TRUE(host.publish(fileManager, kService, kPath));

    auto fileRevealer = revealer(*appBus);
    fileRevealer.reveal(items);
    fileRevealer.flush();

    EXPECT_THAT(fileManager->requests.get(),
                ElementsAre(QStringList{QStringLiteral("file:///pictures/a.png"),
                                        QStringLiteral("file:///pictures/d.png")},
                            QStringList{QStringLiteral("file:///other%20place/b%20c.png")}));
    EXPECT_THAT(opened, IsEmpty());
}

TEST_F(FreedesktopFileRevealerTests, OpensTheFoldersWhenTheFileManagerRefusesOrIsMissing) {
    {
        FakeServiceHost host(QStringLiteral("orlix-test-file-manager"));
        auto* fileManager = new FakeFileManager(true);
        ASSERT_TRUE(host.publish(fileManager, kService, kPath));
        auto fileRevealer = revealer(*appBus);
        fileRevealer.reveal(items);
        fileRevealer.flush();
        EXPECT_EQ(fileManager->requests.get().size(), 2u);
        EXPECT_THAT(opened, ElementsAre("/pictures", "/other place"));
    }

    std::vector<QDBusConnection> withoutFileManager{testing::noBus()};
    // A bus that would start a real file manager cannot stand for one without.
    if (!activatable(kService)) {
        withoutFileManager.push_back(*appBus);
    }
    for (const auto& connection : withoutFileManager) {
        opened.clear();
        auto fileRevealer = revealer(connection);
        fileRevealer.reveal(items);
        EXPECT_THAT(opened, ElementsAre("/pictures", "/other place"));
    }
}

} // namespace
} // namespace orlix
