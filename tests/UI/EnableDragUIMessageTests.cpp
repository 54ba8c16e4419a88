#include "UI/DropWindow/EnableDragUIMessageViewController.h"

#include "Platform/UserDefaults.h"
#include "Shared/SharedDefinitions.h"
#include "Support/FileSizeLimit.h"
#include "Support/ScopedEnvironment.h"
#include "Support/TemporaryDirectory.h"
#include "UI/Common/MessageQuestionView.h"
#include "UI/DropWindow/DragUIAnimationView.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPushButton>

namespace orlix {
namespace {

class EnableDragUIMessageTests : public ::testing::Test {
protected:
    EnableDragUIMessageTests() {
        message_.dismisser = [this] { ++dismissed_; };
    }

    UserDefaults helper() const { return UserDefaults(helperBundleIdentifier); }
    bool answered() const {
        return UserDefaults(UserDefaults::standardDomain)
            .boolForKey(displayedEnableDragUIMessageDefaultsKey);
    }

    testing::TemporaryDirectory folder_;
    testing::ScopedEnvironment configHome_{"XDG_CONFIG_HOME", folder_.path().string()};
    EnableDragUIMessageViewController message_;
    int dismissed_ = 0;
};

TEST_F(EnableDragUIMessageTests, YesTurnsThePanelOnWithTheDefaultKeysAndIsAskedOnce) {
    message_.questionView()->acceptButton()->click();
    EXPECT_EQ(dismissed_, 1);
    EXPECT_TRUE(helper().boolForKey(showUIOnImageFileDragDefaultsKey));
    EXPECT_EQ(helper().integerForKey(dragUIModifierKeysDefaultsKey), 2);
    EXPECT_TRUE(answered());
}

TEST_F(EnableDragUIMessageTests, NoKeepsThePanelOffAndKeysTheUserChose) {
    helper().setObject(PropertyList(1), dragUIModifierKeysDefaultsKey);
    message_.questionView()->declineButton()->click();
    EXPECT_EQ(dismissed_, 1);
    const auto stored = helper().objectForKey(showUIOnImageFileDragDefaultsKey);
    ASSERT_TRUE(stored);
    EXPECT_FALSE(helper().boolForKey(showUIOnImageFileDragDefaultsKey));
    EXPECT_EQ(helper().integerForKey(dragUIModifierKeysDefaultsKey), 1);
    EXPECT_TRUE(answered());
}

TEST_F(EnableDragUIMessageTests, AnAnswerTheHelperCannotStoreIsAskedForAgain) {
    // The helper's file grows past what the disk takes, while the flag alone would still fit:
    // the flag must wait for the helper's keys.
    ASSERT_TRUE(helper().setObject(PropertyList(std::string(4096, 'x')), "padding"));
    {
        const testing::FileSizeLimit fullDisk(2048);
        EXPECT_FALSE(EnableDragUIMessageViewController::storeChoice(true));
        message_.questionView()->acceptButton()->click();
    }
    EXPECT_EQ(dismissed_, 1) << "the message closes all the same";
    EXPECT_FALSE(answered()) << "and the question comes back at the next launch";
    EXPECT_FALSE(helper().objectForKey(showUIOnImageFileDragDefaultsKey));
}

TEST_F(EnableDragUIMessageTests, ThePictureFollowsTheDesktopsScheme) {
    DragUIAnimationView* picture = message_.usingDragUIImageView();
    ASSERT_TRUE(picture);
    EXPECT_FALSE(picture->isDark());
    const QPalette light = QApplication::palette();
    QPalette dark = light;
    dark.setColor(QPalette::Window, QColor(30, 30, 30));
    dark.setColor(QPalette::WindowText, Qt::white);
    // Qt posts the change to the widgets.
    QApplication::setPalette(dark);
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(picture->isDark());
    QApplication::setPalette(light);
    QCoreApplication::sendPostedEvents();
    EXPECT_FALSE(picture->isDark());
}

TEST(DragUIAnimationTests, TheDarkPictureIsDarkAndThePanelShowsMidLoop) {
    DragUIAnimationView view;
    const auto frame = [&](double phase, bool dark) {
        view.setDark(dark);
        view.setPhase(phase);
        return view.grab().toImage();
    };
    const QPoint desk(view.width() / 2, 4);
    EXPECT_GT(qGray(frame(0.0, false).pixel(desk)), 200);
    EXPECT_LT(qGray(frame(0.0, true).pixel(desk)), 80);
    // The panel's quick-optimize zone shows only while the file is dragged over.
    const QPoint zoneEdge(154, 50);
    EXPECT_NE(frame(0.6, false).pixel(zoneEdge), frame(0.0, false).pixel(zoneEdge));
}

} // namespace
} // namespace orlix
