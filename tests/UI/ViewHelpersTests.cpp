#include "UI/Common/ViewHelpers.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

namespace orlix {
namespace {

TEST(ViewHelpersTests, AScreenFrameAddsUpThePositionsFromTheWindowDown) {
    EXPECT_FALSE(screenFrame(nullptr));
    QWidget window;
    window.setGeometry(100, 200, 300, 200);
    auto* panel = new QWidget(&window);
    panel->setGeometry(10, 20, 200, 100);
    auto* view = new QWidget(panel);
    view->setGeometry(5, 6, 30, 40);
    EXPECT_EQ(screenFrame(&window), QRect(100, 200, 300, 200));
    EXPECT_EQ(screenFrame(view), QRect(115, 226, 30, 40)) << "a window not yet shown counts";

    window.move(400, 50);
    EXPECT_EQ(screenFrame(view), QRect(415, 76, 30, 40));
    // A window of its own inside another lies where it lies, whatever its parent's place.
    QWidget tool(&window, Qt::Tool);
    tool.setGeometry(10, 10, 50, 50);
    EXPECT_EQ(screenFrame(&tool), QRect(10, 10, 50, 50));
}

TEST(ViewHelpersTests, APinnedViewKeepsItsInsetsFromEachEdgeOfItsParent) {
    QWidget parent;
    auto* back = new QWidget(&parent);
    auto* front = new QWidget(&parent);
    pinToSuperview(back, 0, 0, 0, 0);
    pinToSuperview(front, 8, 4, 8, 4);
    parent.resize(200, 100);
    parent.show();
    EXPECT_EQ(back->geometry(), QRect(0, 0, 200, 100));
    EXPECT_EQ(front->geometry(), QRect(8, 4, 184, 92));
    parent.resize(300, 50);
    EXPECT_EQ(front->geometry(), QRect(8, 4, 284, 42));
    EXPECT_GT(parent.children().indexOf(front), parent.children().indexOf(back))
        << "pinned later, it lies above";

    QWidget orphan;
    orphan.setGeometry(1, 2, 3, 4);
    pinToSuperview(&orphan, 8, 4, 8, 4);
    EXPECT_EQ(orphan.geometry(), QRect(1, 2, 3, 4)) << "without a parent nothing happens";
    EXPECT_EQ(orphan.layout(), nullptr);
}

// A parent that lays out its children itself keeps doing so; the pinned view lies over them.
TEST(ViewHelpersTests, APinnedViewFollowsAParentThatHasALayoutOfItsOwn) {
    QWidget parent;
    auto* column = new QVBoxLayout(&parent);
    auto* label = new QLabel(QStringLiteral("text"), &parent);
    column->addWidget(label);
    auto* cover = new QWidget(&parent);
    column->addWidget(cover);
    pinToSuperview(cover, 8, 4, 8, 4);
    parent.resize(200, 100);
    parent.show();
    EXPECT_EQ(cover->geometry(), QRect(8, 4, 184, 92));
    EXPECT_EQ(column->indexOf(cover), -1) << "taken out of the column";
    EXPECT_EQ(parent.layout(), column);
    parent.resize(240, 120);
    EXPECT_EQ(cover->geometry(), QRect(8, 4, 224, 112));
    EXPECT_EQ(label->width(), 240 - 2 * column->contentsMargins().left())
        << "the column still lays out the label";
}

} // namespace
} // namespace orlix
