#include "UI/Common/ViewHelpers.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

#include <utility>

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

// A parent without a layout takes one that lays its pinned views on top of each other; a parent
// that lays out other children itself goes on doing so, and the pinned view lies over them.
TEST(ViewHelpersTests, APinnedViewKeepsItsInsetsFromEachEdgeWhateverLaysOutItsParent) {
    QWidget bare;
    auto* back = new QWidget(&bare);
    auto* front = new QWidget(&bare);
    pinToSuperview(back, 0, 0, 0, 0);
    // Each inset differs from the others, so that none can take another's place.
    pinToSuperview(front, 8, 4, 16, 2);
    QWidget columned;
    auto* column = new QVBoxLayout(&columned);
    auto* label = new QLabel(QStringLiteral("text"), &columned);
    column->addWidget(label);
    auto* cover = new QWidget(&columned);
    column->addWidget(cover);
    pinToSuperview(cover, 8, 4, 16, 2);

    for (const auto& [parent, pinned] : {std::pair{&bare, front}, std::pair{&columned, cover}}) {
        SCOPED_TRACE(parent == &bare ? "no layout" : "a layout of its own");
        parent->resize(200, 100);
        parent->show();
        EXPECT_EQ(pinned->geometry(), QRect(8, 4, 176, 94));
        parent->resize(300, 60);
        EXPECT_EQ(pinned->geometry(), QRect(8, 4, 276, 54));
    }
    EXPECT_EQ(back->geometry(), QRect(0, 0, 300, 60));
    EXPECT_GT(bare.children().indexOf(front), bare.children().indexOf(back))
        << "pinned later, it lies above";
    EXPECT_EQ(columned.layout(), column);
    EXPECT_EQ(column->indexOf(cover), -1) << "taken out of the column";
    EXPECT_EQ(label->width(), 300 - 2 * column->contentsMargins().left())
        << "the column still lays out the label";

    QWidget orphan;
    orphan.setGeometry(1, 2, 3, 4);
    pinToSuperview(&orphan, 8, 4, 8, 4);
    EXPECT_EQ(orphan.geometry(), QRect(1, 2, 3, 4)) << "without a parent nothing happens";
    EXPECT_EQ(orphan.layout(), nullptr);
}

} // namespace
} // namespace orlix
