#include "UI/Common/AppearanceChangedObserver.h"
#include "UI/Common/ApplicationActivationObserver.h"
#include "UI/DropPanelFixture.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>

#include <optional>

namespace orlix {
namespace {

using testing::DropPanelFixture;

// Switches the application's palette between schemes and puts the starting one back at the end.
class AppearanceTests : public ::testing::Test {
protected:
    ~AppearanceTests() override { apply(light); }

    static QPalette darkened(const QPalette& palette) {
        QPalette dark = palette;
        dark.setColor(QPalette::Window, QColor(30, 30, 30));
        dark.setColor(QPalette::WindowText, Qt::white);
        return dark;
    }
    // Qt tells the widgets at once and posts the rest.
    static void apply(const QPalette& palette) {
        QApplication::setPalette(palette);
        QCoreApplication::sendPostedEvents();
    }

    const QPalette light = QApplication::palette();
    const QPalette dark = darkened(light);
};

TEST_F(AppearanceTests, OneCallbackPerChangeOfSchemeNoneAtCreationNoneOnceReleased) {
    QWidget window;
    window.show();
    QWidget view(&window);
    int changes = 0;
    std::optional<AppearanceChangedObserver> observer;
    observer.emplace(&view, [&] { ++changes; });
    EXPECT_EQ(changes, 0) << "creating it calls nothing";

    apply(dark);
    EXPECT_EQ(changes, 1) << "the window hears of the change twice, the owner once";
    QPalette otherDark = dark;
    otherDark.setColor(QPalette::Highlight, Qt::red);
    apply(otherDark);
    EXPECT_EQ(changes, 1) << "a new palette of the same scheme is no change of appearance";
    apply(light);
    EXPECT_EQ(changes, 2);

    observer.reset();
    apply(dark);
    EXPECT_EQ(changes, 2) << "released, it is silent";
}

TEST_F(AppearanceTests, AnObserverMayBeReleasedByItsOwnCallbackAndOutliveItsWindow) {
    int changes = 0;
    std::optional<AppearanceChangedObserver> observer;
    auto window = std::make_unique<QWidget>();
    observer.emplace(window.get(), [&] {
        ++changes;
        observer.reset();
    });
    apply(dark);
    EXPECT_EQ(changes, 1);
    EXPECT_FALSE(observer.has_value());

    observer.emplace(window.get(), [&] { ++changes; });
    window.reset();
    apply(light);
    EXPECT_EQ(changes, 1);
    observer.reset();
}

// The application's activation arrives as the window system delivers it: posted, then taken in.
class ActivationTests : public ::testing::Test {
protected:
    ActivationTests() { DropPanelFixture::setApplicationActive(true); }
    ~ActivationTests() override { DropPanelFixture::setApplicationActive(true); }

    static void postActive(bool active) {
        QWindowSystemInterface::handleApplicationStateChanged(
            active ? Qt::ApplicationActive : Qt::ApplicationInactive, true);
    }
    static void deliver() { QWindowSystemInterface::flushWindowSystemEvents(); }
};

TEST_F(ActivationTests, TheCallbackInItsFieldWhenTheChangeArrivesIsTheOneCalled) {
    std::vector<std::string> calls;
    auto observer = std::make_unique<ApplicationActivationObserver>();
    DropPanelFixture::setApplicationActive(false);
    EXPECT_TRUE(calls.empty()) << "an absent callback is skipped";

    observer->applicationDidBecomeActiveCallback = [&] { calls.push_back("active"); };
    DropPanelFixture::setApplicationActive(true);
    DropPanelFixture::setApplicationActive(true);
    observer->applicationDidResignActiveCallback = [&] { calls.push_back("inactive"); };
    DropPanelFixture::setApplicationActive(false);
    EXPECT_EQ(calls, (std::vector<std::string>{"active", "inactive"}))
        << "set later, each is reached; a state that did not change calls nothing";

    // Released while the change is on its way.
    postActive(true);
    observer.reset();
    deliver();
    EXPECT_EQ(calls.size(), 2u);
}

} // namespace
} // namespace orlix
