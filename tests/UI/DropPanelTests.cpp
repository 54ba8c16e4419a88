#include "Shared/ImageFileType.h"
#include "UI/DropPanel/FileURLsFromPasteboard.h"
#include "UI/DropPanel/LayeredDrawingView.h"
#include "UI/DropPanel/OperationsView.h"
#include "UI/DropPanel/OperationsViewController.h"
#include "UI/DropPanel/ViewBackgroundLayeredArtist.h"
#include "UI/DropPanel/ViewBorderLayeredArtist.h"
#include "UI/DropPanelFixture.h"

#include <gtest/gtest.h>

#include <QMimeData>

namespace orlix {
namespace {

using testing::DropPanelFixture;

QImage drawn(LayeredDrawingView& view) {
    view.resize(40, 30);
    return view.grab().toImage();
}

// What a window shows where its view draws nothing.
QColor blank(const QWidget& view) {
    return view.palette().color(QPalette::Window);
}

TEST(LayeredDrawingTests, ArtistsDrawInListOrderALaterOneOverAnEarlierOne) {
    LayeredDrawingView view;
    EXPECT_EQ(drawn(view).pixelColor(5, 5), blank(view)) << "no artists, nothing drawn";
    view.setArtists({std::make_shared<ViewBackgroundLayeredArtist>(Qt::red),
                     std::make_shared<ViewBackgroundLayeredArtist>(Qt::blue)});
    EXPECT_EQ(drawn(view).pixelColor(5, 5), QColor(Qt::blue));
}

TEST(LayeredDrawingTests, BordersRunAlongTheirEdgesShortOfTheEndsByTheirMargin) {
    auto border = std::make_shared<ViewBorderLayeredArtist>();
    border->rightBorder = ViewBorderLayeredArtist::Border{2.0, 5.0, Qt::red};
    border->bottomBorder = ViewBorderLayeredArtist::Border{1.0, 10.0, Qt::blue};
    LayeredDrawingView view;
    view.setArtists({border});
    const QImage image = drawn(view);
    EXPECT_EQ(image.pixelColor(39, 15), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(38, 15), QColor(Qt::red)) << "two points thick";
    EXPECT_EQ(image.pixelColor(37, 15), blank(view));
    EXPECT_EQ(image.pixelColor(39, 5), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(39, 4), blank(view)) << "the margin at the top stays free";
    EXPECT_EQ(image.pixelColor(39, 25), blank(view)) << "and at the bottom";
    EXPECT_EQ(image.pixelColor(10, 29), QColor(Qt::blue)) << "the bottom line is the last row";
    EXPECT_EQ(image.pixelColor(9, 29), blank(view));
    EXPECT_EQ(image.pixelColor(30, 29), blank(view));
    EXPECT_EQ(image.pixelColor(10, 28), blank(view));

    view.setArtists({std::make_shared<ViewBorderLayeredArtist>()});
    const QImage empty = drawn(view);
    EXPECT_EQ(empty.pixelColor(39, 15), blank(view)) << "no borders, nothing drawn";
}

TEST(PasteboardTests, OnlyLocalFileURLsAreReadInOrderWithoutFurtherChecks) {
    EXPECT_TRUE(fileURLsFromPasteboard(nullptr).empty());
    QMimeData text;
    text.setText(QStringLiteral("file:///pictures/a.png"));
    EXPECT_TRUE(fileURLsFromPasteboard(&text).empty()) << "text is not a file URL";

    const auto list = DropPanelFixture::uriList("# a comment\r\n"
                                                "file:///pictures/folder/\r\n"
                                                "not a url\r\n"
                                                "https://example.com/a.png\r\n"
                                                "file://elsewhere/pictures/b.png\r\n"
                                                "file://localhost/pictures/c.gif\r\n"
                                                "file:///pictures/a%20b.png\r\n"
                                                "file:///pictures/a%20b.png\r\n");
    EXPECT_EQ(
        fileURLsFromPasteboard(list.get()),
        (std::vector<Url>{Url::fileUrl("/pictures/folder/"), Url::fileUrl("/pictures/c.gif"),
                          Url::fileUrl("/pictures/a b.png"), Url::fileUrl("/pictures/a b.png")}));
}

TEST(PasteboardTests, TheImageFilterKeepsPNGAndJPEGFilesInAnyCaseAndOrder) {
    std::vector<Url> urls;
    for (const char* name : {"/p/a.PNG", "/p/b.Jpg", "/p/c.JPEG", "/p/d.png.txt", "/p/e",
                             "/p/f.gif", "/p/g.tiff", "/p/h.heic", "/p/a.PNG"}) {
        urls.push_back(Url::fileUrl(name));
    }
    urls.push_back(*Url::parse("https://example.com/i.png"));
    EXPECT_EQ(ImageFileType::supportedImageURLs(urls),
              (std::vector<Url>{Url::fileUrl("/p/a.PNG"), Url::fileUrl("/p/b.Jpg"),
                                Url::fileUrl("/p/c.JPEG"), Url::fileUrl("/p/a.PNG")}));
    EXPECT_TRUE(ImageFileType::supportedImageURLs({}).empty());
}

class OperationsViewTests : public ::testing::Test, protected DropPanelFixture {};

TEST_F(OperationsViewTests, BackgroundsFollowThePanelFromWindowToWindow) {
    OperationsViewController controller;
    controller.setInPopover(false);
    controller.view();
    auto* view = controller.operationsView();
    QWidget first;
    QWidget second;
    for (QWidget* window : {&first, &second}) {
        window->resize(controller.view()->size() + QSize(0, 20));
    }
    view->setParent(&first);
    const QPointer<QWidget> firstContainer = view->backgroundView();
    ASSERT_TRUE(firstContainer);
    EXPECT_EQ(firstContainer->parentWidget(), &first);
    EXPECT_EQ(first.children().indexOf(firstContainer), 0) << "behind everything else";

    view->setParent(&second);
    EXPECT_FALSE(firstContainer) << "the old window keeps nothing";
    ASSERT_TRUE(view->backgroundView());
    EXPECT_EQ(view->backgroundView()->parentWidget(), &second);
    EXPECT_TRUE(view->observingWindow());

    // The left column's background reaches the bottom of its host, below the panel.
    second.show();
    second.resize(second.width(), second.height() + 30);
    EXPECT_EQ(view->backgroundView()->size(), second.size());
    EXPECT_EQ(view->quickOptimizeBackgroundView()->geometry().bottom(), second.height() - 1);
}

// The popover-sized panel alone in a window that is taller than the panel: below the panel lies
// a part of the window that is no zone.
class PanelControllerTests : public ::testing::Test, protected DropPanelFixture {
protected:
    using ViewType = OperationsViewController::OperationsViewType;
    using MouseState = OperationsViewController::OperationsMouseState;
    using State = OperationsViewController::State;

    PanelControllerTests() {
        controller.setInPopover(false);
        controller.setQuickOptimizeClickedCallback([] {});
        controller.setResizeAndOptimizeClickedCallback([] {});
        controller.view()->setParent(&host);
        host.resize(controller.view()->width(), controller.view()->height() + 40);
        host.show();
    }

    // Hovers the zone under `at`: the first move announces the zone, the second hovers it.
    void hover(QPoint at) {
        move(&host, at);
        move(&host, at + QPoint(1, 1));
    }
    Qt::CursorShape cursor() { return controller.operationsView()->cursor().shape(); }

    OperationsViewController controller;
    QWidget host;
    std::unique_ptr<QMimeData> pngs = uriList("file:///pictures/a.png\r\n");
    // Inside the zones, clear of their texts, and in the window below the panel.
    const QPoint quickPoint{15, 15};
    const QPoint resizePoint{345, 10};
    const QPoint previousPoint{345, 160};
    const QPoint belowPanel{100, 190};
};

TEST_F(PanelControllerTests, OnlyAClickableZoneUnderThePointerHoversAndShowsThePointingHand) {
    enter(&host, quickPoint);
    EXPECT_EQ(controller.state(), State{}) << "a zone is entered on the first move in it";
    hover(quickPoint);
    EXPECT_EQ(controller.state(), (State{ViewType::quickOptimize, MouseState::hover}));
    EXPECT_EQ(cursor(), Qt::PointingHandCursor);

    hover(belowPanel);
    EXPECT_EQ(controller.state(), State{}) << "the pointer left the zone";
    EXPECT_EQ(cursor(), Qt::ArrowCursor);

    hover(resizePoint);
    EXPECT_EQ(cursor(), Qt::PointingHandCursor);
    leave(&host);
    EXPECT_EQ(controller.state(), State{}) << "the pointer left the window";
    EXPECT_EQ(cursor(), Qt::ArrowCursor);

    hover(previousPoint);
    EXPECT_EQ(controller.state(), State{}) << "no clicked callback, no hover";
    EXPECT_EQ(cursor(), Qt::ArrowCursor);
}

// Leaving the application resets the panel unless a drag or a press is under way.
TEST_F(PanelControllerTests, ResigningActiveResetsAHoverButNotADragNorAPress) {
    hover(quickPoint);
    setApplicationActive(false);
    EXPECT_EQ(controller.state(), State{});
    setApplicationActive(true);

    dragTo(&host, pngs.get(), resizePoint);
    setApplicationActive(false);
    EXPECT_EQ(controller.state(), (State{ViewType::resizeAndOptimize, MouseState::drag}));
    drop(&host, pngs.get(), resizePoint);
    setApplicationActive(true);

    clock->advance(std::chrono::seconds(1)); // long past the activation: the user's press
    press(&host, quickPoint);
    setApplicationActive(false);
    EXPECT_EQ(controller.state(), (State{ViewType::quickOptimize, MouseState::click}));
    release(&host, quickPoint);
}

// The separators: a right one on quick optimize and a bottom one on resize and optimize, 1 point
// thick, 10 points short of each end, in the separator colour; the one beside a zone that is
// dragged over or pressed goes, and use previous settings never has one.
TEST_F(PanelControllerTests, SeparatorsFollowTheirTable) {
    const struct {
        State state;
        bool quickSeparator;
        bool resizeSeparator;
    } table[] = {
        {{ViewType::none, MouseState::none}, true, true},
        {{ViewType::quickOptimize, MouseState::hover}, true, true},
        {{ViewType::quickOptimize, MouseState::drag}, false, true},
        {{ViewType::quickOptimize, MouseState::click}, false, true},
        {{ViewType::resizeAndOptimize, MouseState::hover}, true, true},
        {{ViewType::resizeAndOptimize, MouseState::drag}, true, false},
        {{ViewType::resizeAndOptimize, MouseState::click}, true, false},
        {{ViewType::usePreviousSettings, MouseState::hover}, true, true},
        {{ViewType::usePreviousSettings, MouseState::drag}, true, false},
        {{ViewType::usePreviousSettings, MouseState::click}, true, false},
    };
    // The one border an artist list holds, with the edge it lies on.
    const auto border = [](const LayeredDrawingView* zone) {
        std::vector<std::pair<char, ViewBorderLayeredArtist::Border>> borders;
        for (const auto& artist : zone->artists()) {
            const auto* lines = dynamic_cast<const ViewBorderLayeredArtist*>(artist.get());
            EXPECT_TRUE(lines) << "zones carry border artists only";
            for (const auto& [edge, line] :
                 {std::pair{'l', lines->leftBorder}, std::pair{'t', lines->topBorder},
                  std::pair{'r', lines->rightBorder}, std::pair{'b', lines->bottomBorder}}) {
                if (line) {
                    borders.emplace_back(edge, *line);
                }
            }
        }
        return borders;
    };
    const auto expectSeparator = [&](const LayeredDrawingView* zone, char edge) {
        const auto borders = border(zone);
        ASSERT_EQ(borders.size(), 1u);
        EXPECT_EQ(borders[0].first, edge);
        EXPECT_EQ(borders[0].second.width, 1.0);
        EXPECT_EQ(borders[0].second.margin, 10.0);
        EXPECT_EQ(borders[0].second.color, QColor(207, 207, 207));
    };
    for (const auto& row : table) {
        SCOPED_TRACE(::testing::Message()
                     << int(row.state.viewType) << "/" << int(row.state.mouseState));
        controller.setState(row.state);
        if (row.quickSeparator) {
            expectSeparator(controller.quickOptimizeView(), 'r');
        } else {
            EXPECT_TRUE(border(controller.quickOptimizeView()).empty());
        }
        if (row.resizeSeparator) {
            expectSeparator(controller.resizeAndOptimizeView(), 'b');
        } else {
            EXPECT_TRUE(border(controller.resizeAndOptimizeView()).empty());
        }
        EXPECT_TRUE(border(controller.usePreviousSettingsView()).empty());
    }
}

TEST_F(PanelControllerTests, EveryAcceptedDragThatEntersAZoneIsReportedAndEveryZoneTakesItsDrop) {
    std::vector<OperationsViewController*> started;
    controller.controllerStartedDragCallback = [&](OperationsViewController& panel) {
        started.push_back(&panel);
    };
    controller.isDragAcceptedCallback = [](const QMimeData* data) {
        return data && data->hasUrls();
    };
    QMimeData text;
    text.setText(QStringLiteral("hello"));
    dragTo(&host, &text, quickPoint);
    EXPECT_TRUE(started.empty()) << "a refused drag is not reported";
    dragLeave(&host);

    dragTo(&host, pngs.get(), quickPoint);
    dragTo(&host, pngs.get(), resizePoint);
    EXPECT_EQ(started, (std::vector<OperationsViewController*>{&controller, &controller}))
        << "once for each zone entered";

    // No zone has a drop callback: the drop is taken all the same and goes nowhere.
    EXPECT_TRUE(drop(&host, pngs.get(), resizePoint));
    loop->runUntilIdle();
    EXPECT_EQ(controller.state(), State{});
}

// Only leaving the window, or a drop, ends a drag for the panel: the zone it left keeps its colour
// while the pointer is elsewhere in the window.
TEST_F(PanelControllerTests, ADragThatLeavesAZoneForTheRestOfTheWindowStaysADrag) {
    dragTo(&host, pngs.get(), quickPoint);
    dragTo(&host, pngs.get(), belowPanel);
    loop->runUntilIdle();
    EXPECT_EQ(controller.state(), (State{ViewType::quickOptimize, MouseState::drag}));
    EXPECT_TRUE(controller.dragging());
    EXPECT_EQ(pixel(&host, quickPoint), QColor(255, 41, 104));

    // Leaving the window, or ending there, from outside the zones as from inside them.
    dragLeave(&host);
    EXPECT_EQ(controller.state(), State{});
    EXPECT_FALSE(controller.dragging());
    EXPECT_EQ(pixel(&host, quickPoint), QColor(255, 255, 255));

    dragTo(&host, pngs.get(), previousPoint);
    EXPECT_EQ(pixel(&host, previousPoint), QColor(99, 218, 56));
    dragLeave(&host);
    EXPECT_EQ(controller.state(), State{});
    EXPECT_FALSE(controller.dragging());

    // A drop outside the zones, which no zone hears of.
    dragTo(&host, pngs.get(), quickPoint);
    dragTo(&host, pngs.get(), belowPanel);
    EXPECT_FALSE(drop(&host, pngs.get(), belowPanel)) << "no zone takes it";
    EXPECT_EQ(controller.state(), State{});
    EXPECT_FALSE(controller.dragging());
    hover(quickPoint);
    EXPECT_EQ(controller.state(), (State{ViewType::quickOptimize, MouseState::hover}));
}

} // namespace
} // namespace orlix
