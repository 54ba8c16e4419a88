#include "UI/Common/Palette.h"
#include "UI/Common/ViewHelpers.h"
#include "UI/DropPanel/FileURLsFromPasteboard.h"
#include "UI/DropPanel/OperationsSectionView.h"
#include "UI/DropPanelFixture.h"
#include "UI/DropWindow/LargeOperationsViewController.h"
#include "UI/DropWindow/OperationsWindow.h"
#include "UI/DropWindow/OperationsWindowController.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>

#include <vector>

namespace orlix {
namespace {

using ViewType = OperationsViewController::OperationsViewType;
using MouseState = OperationsViewController::OperationsMouseState;
using State = OperationsViewController::State;

// Points inside the zones of the large panel, clear of their texts.
const QPoint quickPoint(30, 30);
const QPoint resizePoint(540, 20);
const QPoint previousPoint(540, 220);

class DropWindowTests : public ::testing::Test, protected testing::DropPanelFixture {
protected:
    DropWindowTests() {
        setApplicationActive(true);
        controller.quickOptimizeCallback = recordDrop(ViewType::quickOptimize);
        controller.resizeAndOptimizeCallback = recordDrop(ViewType::resizeAndOptimize);
        controller.usePreviousSettingsCallback = recordDrop(ViewType::usePreviousSettings);
        controller.quickOptimizeClickedCallback = [this] {
            clicks.push_back(ViewType::quickOptimize);
        };
        controller.resizeAndOptimizeClickedCallback = [this] {
            clicks.push_back(ViewType::resizeAndOptimize);
        };
        window = controller.window();
        window->show();
        loop->runUntilIdle();
    }

    OperationsWindowController::DropCallback recordDrop(ViewType zone) {
        return [this, zone](const std::vector<Url>& urls) { drops.push_back({zone, urls}); };
    }

    LargeOperationsViewController& panel() { return *controller.operationsViewController(); }
    State state() { return panel().state(); }
    QColor labelColor(OperationsSectionView* zone) {
        return zone->findChild<QLabel*>()->palette().color(QPalette::WindowText);
    }
    void click(QPoint at) {
        press(window, at);
        release(window, at);
    }

    OperationsWindowController controller;
    OperationsWindow* window = nullptr;
    std::vector<std::pair<ViewType, std::vector<Url>>> drops;
    std::vector<ViewType> clicks;
    std::unique_ptr<QMimeData> pngs =
        uriList("file:///pictures/a.png\r\nfile:///pictures/b%20c.PNG\r\n");
};

TEST_F(DropWindowTests, AnImageDragHighlightsItsZoneAndTheDropReachesItOnTheNextTurn) {
    EXPECT_TRUE(dragTo(window, pngs.get(), resizePoint));
    EXPECT_EQ(state(), (State{ViewType::resizeAndOptimize, MouseState::drag}));
    EXPECT_TRUE(panel().dragging());
    EXPECT_EQ(pixel(window, resizePoint), Palette::resizeAndOptimize());
    EXPECT_EQ(pixel(window, quickPoint), Palette::windowBackground());
    EXPECT_EQ(labelColor(panel().resizeAndOptimizeView()), Palette::windowLabelRollover());

    // Zone to zone: the old zone keeps its colour until the new one is entered, and the leave is
    // not taken for the end of the drag.
    EXPECT_TRUE(dragTo(window, pngs.get(), previousPoint));
    loop->runUntilIdle();
    EXPECT_EQ(state(), (State{ViewType::usePreviousSettings, MouseState::drag}));
    EXPECT_TRUE(panel().dragging());

    EXPECT_TRUE(drop(window, pngs.get(), previousPoint));
    EXPECT_TRUE(drops.empty()) << "never inside the drop event";
    EXPECT_EQ(state(), State{}) << "the drop ends the drag";
    EXPECT_FALSE(panel().dragging());
    loop->runUntilIdle();
    ASSERT_EQ(drops.size(), 1u);
    EXPECT_EQ(drops[0].first, ViewType::usePreviousSettings);
    EXPECT_EQ(drops[0].second, (std::vector<Url>{Url::fileUrl("/pictures/a.png"),
                                                 Url::fileUrl("/pictures/b c.PNG")}));
}

// Each zone's own colours: its accent under a drag, with white texts, and its light tint under the
// pointer; the other zones stay white.
TEST_F(DropWindowTests, EachZoneShowsItsOwnAccentAndTint) {
    const QColor white(255, 255, 255);
    const struct {
        QPoint at;
        OperationsSectionView* (LargeOperationsViewController::*zone)() const;
        QColor accent;
        QColor tint;
    } zones[] = {
        {quickPoint,
         &LargeOperationsViewController::quickOptimizeView,
         {255, 41, 104},
         {255, 235, 241}},
        {resizePoint,
         &LargeOperationsViewController::resizeAndOptimizeView,
         {27, 173, 248},
         {237, 247, 254}},
        {previousPoint,
         &LargeOperationsViewController::usePreviousSettingsView,
         {99, 218, 56},
         {241, 251, 238}},
    };
    for (const auto& zone : zones) {
        dragTo(window, pngs.get(), zone.at);
        EXPECT_EQ(pixel(window, zone.at), zone.accent);
        EXPECT_EQ(labelColor((panel().*zone.zone)()), white);
        for (const auto& other : zones) {
            if (&other != &zone) {
                EXPECT_EQ(pixel(window, other.at), white);
            }
        }
        drop(window, pngs.get(), zone.at);
        move(window, zone.at);
        move(window, zone.at + QPoint(1, 1));
        EXPECT_EQ(pixel(window, zone.at), zone.tint);
    }
}

TEST_F(DropWindowTests, ADragThatLeavesTheWindowResetsThePanel) {
    dragTo(window, pngs.get(), quickPoint);
    EXPECT_EQ(state(), (State{ViewType::quickOptimize, MouseState::drag}));
    dragLeave(window);
    EXPECT_EQ(state(), State{});
    EXPECT_FALSE(panel().dragging());
    EXPECT_EQ(pixel(window, quickPoint), Palette::windowBackground());
}

TEST_F(DropWindowTests, DragsWithoutPNGOrJPEGFilesAreRefusedWithoutAnyHighlight) {
    auto text = std::make_unique<QMimeData>();
    text->setText(QStringLiteral("file:///pictures/a.png"));
    for (QMimeData* refused :
         {text.get(), uriList("file:///pictures/\r\n").release(),
          uriList("file:///pictures/a.gif\r\nfile:///pictures/b.tiff\r\n").release()}) {
        EXPECT_FALSE(dragTo(window, refused, resizePoint));
        EXPECT_EQ(state(), State{});
        EXPECT_TRUE(panel().dragging()) << "a refused drag is still a drag until it ends";
        EXPECT_FALSE(drop(window, refused, resizePoint));
        loop->runUntilIdle();
        EXPECT_FALSE(panel().dragging());
        if (refused != text.get()) {
            delete refused;
        }
    }
    EXPECT_TRUE(drops.empty());
}

TEST_F(DropWindowTests, ADragWithOneImageAmongOtherFilesHandsOverEveryFile) {
    const auto mixed = uriList("file:///pictures/a.gif\r\nfile:///pictures/b.png\r\n");
    EXPECT_TRUE(dragTo(window, mixed.get(), quickPoint));
    EXPECT_TRUE(drop(window, mixed.get(), quickPoint));
    loop->runUntilIdle();
    ASSERT_EQ(drops.size(), 1u);
    EXPECT_EQ(drops[0].first, ViewType::quickOptimize);
    EXPECT_EQ(drops[0].second.size(), 2u) << "filtering is the receiver's";
}

TEST_F(DropWindowTests, TheZonesTakeTheColoursOfEachNewSchemeAtOnce) {
    panel().setState({ViewType::quickOptimize, MouseState::hover});
    const QPalette light = QApplication::palette();
    QPalette dark = light;
    dark.setColor(QPalette::Window, QColor(30, 30, 30));
    dark.setColor(QPalette::WindowText, Qt::white);
    for (const QPalette& scheme : {dark, light}) {
        QApplication::setPalette(scheme);
        QCoreApplication::sendPostedEvents();
        EXPECT_EQ(pixel(window, quickPoint), Palette::quickOptimizeHover(scheme));
        EXPECT_EQ(pixel(window, resizePoint), Palette::windowBackground(scheme));
    }
}

TEST_F(DropWindowTests, SeparatorsGoBesideTheActiveZoneOnly) {
    const QPoint quickSeparator(279, 120);
    const QPoint resizeSeparator(420, 119);
    const QColor separator = Palette::windowSeparator();
    EXPECT_EQ(pixel(window, quickSeparator), separator);
    EXPECT_EQ(pixel(window, resizeSeparator), separator);
    EXPECT_NE(pixel(window, QPoint(279, 5)), separator) << "the margin at the ends stays free";

    move(window, quickPoint);
    move(window, quickPoint + QPoint(1, 1));
    EXPECT_EQ(state(), (State{ViewType::quickOptimize, MouseState::hover}));
    EXPECT_EQ(pixel(window, quickPoint), Palette::quickOptimizeHover());
    EXPECT_EQ(pixel(window, quickSeparator), separator) << "hover keeps the separators";

    dragTo(window, pngs.get(), previousPoint);
    EXPECT_EQ(pixel(window, previousPoint), Palette::usePreviousSettings());
    EXPECT_NE(pixel(window, resizeSeparator), separator)
        << "the separator above the zone goes with it";
    EXPECT_EQ(pixel(window, quickSeparator), separator);
    drop(window, pngs.get(), previousPoint);
}

TEST_F(DropWindowTests, ThePointerOnAZonesTextIsOnTheZone) {
    const auto* hint = panel().usePreviousSettingsView()->findChildren<QLabel*>().last();
    const QPoint onText = hint->mapTo(window, hint->rect().center());
    move(window, onText);
    move(window, onText + QPoint(1, 0));
    EXPECT_EQ(state(), (State{ViewType::usePreviousSettings, MouseState::hover}));
    click(onText);
    EXPECT_EQ(clicks, std::vector<ViewType>{}) << "this zone has no clicked callback here";
    controller.usePreviousSettingsClickedCallback = [this] {
        clicks.push_back(ViewType::usePreviousSettings);
    };
    click(onText);
    EXPECT_EQ(clicks, std::vector<ViewType>{ViewType::usePreviousSettings});
}

TEST_F(DropWindowTests, AClickIsAPressAndAReleaseInTheSameZone) {
    press(window, quickPoint);
    EXPECT_EQ(state(), (State{ViewType::quickOptimize, MouseState::click}));
    EXPECT_EQ(pixel(window, quickPoint), Palette::quickOptimize());
    EXPECT_EQ(labelColor(panel().quickOptimizeView()), Palette::windowLabelRollover());
    move(window, resizePoint);
    EXPECT_EQ(state(), State{}) << "the pointer left the pressed zone";
    release(window, resizePoint);
    EXPECT_TRUE(clicks.empty());

    press(window, resizePoint);
    move(window, quickPoint);
    move(window, resizePoint + QPoint(-5, 5));
    EXPECT_EQ(state(), (State{ViewType::resizeAndOptimize, MouseState::click}));
    release(window, resizePoint);
    EXPECT_EQ(clicks, std::vector<ViewType>{ViewType::resizeAndOptimize});
    EXPECT_EQ(state(), State{});
}

TEST_F(DropWindowTests, OnlyTheLeftButtonClicksAndAButtonHeldDoesNotHover) {
    move(window, quickPoint);
    move(window, quickPoint + QPoint(1, 1));
    const State hovering{ViewType::quickOptimize, MouseState::hover};
    ASSERT_EQ(state(), hovering);
    press(window, quickPoint + QPoint(1, 1), Qt::RightButton);
    EXPECT_EQ(state(), hovering) << "a right press changes nothing";
    release(window, quickPoint + QPoint(1, 1), Qt::RightButton);
    EXPECT_TRUE(clicks.empty());

    press(window, quickPoint + QPoint(1, 1), Qt::MiddleButton);
    move(window, previousPoint);
    move(window, previousPoint + QPoint(-3, 0));
    EXPECT_NE(state().viewType, ViewType::usePreviousSettings) << "no hover with a button held";
    release(window, previousPoint + QPoint(-3, 0), Qt::MiddleButton);
    EXPECT_TRUE(clicks.empty());
}

TEST_F(DropWindowTests, AZoneWithoutAClickedCallbackNeverHoversNorClicks) {
    // The window forwards every zone; the plain panel shows a zone left without a callback.
    OperationsViewController plain;
    plain.setQuickOptimizeClickedCallback([] {});
    QWidget host;
    plain.view()->setParent(&host);
    host.resize(plain.view()->size());
    host.show();
    const QPoint right(plain.view()->width() - 20, 20);
    EXPECT_FALSE(plain.resizeAndOptimizeView()->clickable());
    move(&host, right);
    move(&host, right + QPoint(1, 1));
    press(&host, right);
    EXPECT_EQ(plain.state(), State{});
    release(&host, right);
    EXPECT_TRUE(plain.quickOptimizeView()->clickable());
}

TEST_F(DropWindowTests, InTheBackgroundLabelsDimAtOnceAndOnlyDragsShowColour) {
    const QColor dimmed(170, 170, 170);
    setApplicationActive(false);
    EXPECT_EQ(labelColor(panel().quickOptimizeView()), dimmed);
    EXPECT_EQ(labelColor(panel().usePreviousSettingsView()), dimmed);

    panel().setState({ViewType::quickOptimize, MouseState::hover});
    EXPECT_EQ(pixel(window, quickPoint), Palette::windowBackground());
    panel().setState({ViewType::quickOptimize, MouseState::click});
    EXPECT_EQ(pixel(window, quickPoint), Palette::windowBackground());

    dragTo(window, pngs.get(), quickPoint);
    EXPECT_EQ(pixel(window, quickPoint), Palette::quickOptimize());
    EXPECT_EQ(labelColor(panel().quickOptimizeView()), Palette::windowLabelRollover());
    EXPECT_EQ(labelColor(panel().resizeAndOptimizeView()), Palette::activeLabel());
    drop(window, pngs.get(), quickPoint);

    setApplicationActive(true);
    EXPECT_EQ(labelColor(panel().quickOptimizeView()), Palette::activeLabel());
}

TEST_F(DropWindowTests, TheClickThatActivatesOrlixIsRefusedAndTheNextOneTaken) {
    setApplicationActive(false);
    press(window, quickPoint);
    setApplicationActive(true);
    release(window, quickPoint);
    EXPECT_TRUE(clicks.empty());
    EXPECT_EQ(state(), State{});
    click(quickPoint);
    EXPECT_EQ(clicks, std::vector<ViewType>{ViewType::quickOptimize});
}

TEST_F(DropWindowTests, TheFirstPressJustAfterActivationCountsAsTheActivatingOne) {
    // The window manager activated the window before the press reached Orlix.
    setApplicationActive(false);
    setApplicationActive(true);
    clock->advance(std::chrono::milliseconds(250));
    click(quickPoint);
    EXPECT_TRUE(clicks.empty());
    click(quickPoint);
    EXPECT_EQ(clicks.size(), 1u) << "only the first press";

    setApplicationActive(false);
    setApplicationActive(true);
    clock->advance(std::chrono::milliseconds(301));
    click(quickPoint);
    EXPECT_EQ(clicks.size(), 2u) << "a press long after the activation is the user's";
}

TEST_F(DropWindowTests, TheWindowSitsBelowTheTopOfItsScreenCentredAcrossIt) {
    const QRect screen = window->screen()->geometry();
    EXPECT_EQ(window->geometry().top(), screen.top() + 75);
    EXPECT_EQ(window->geometry().center().x(), screen.center().x());
    EXPECT_EQ(window->geometry(), screenFrame(panel().view())) << "the content is the panel";
    EXPECT_TRUE(window->isMasked()) << "no compositor: the corners are cut by a mask";
    EXPECT_EQ(window->grab().toImage().pixelColor(0, 0).alpha(), 0);
}

TEST_F(DropWindowTests, ClosingTheWindowAsksWhetherToQuit) {
    bool answer = false;
    int asked = 0;
    window->closeRequestedCallback = [&] {
        ++asked;
        return answer;
    };
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    answer = true;
    EXPECT_TRUE(window->close());
    EXPECT_EQ(asked, 2);
}

} // namespace
} // namespace orlix
