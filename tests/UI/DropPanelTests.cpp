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

TEST_F(OperationsViewTests, InAPopoverTheBackgroundsGoBehindTheWholeFrame) {
    OperationsViewController controller;
    QWidget frame;
    auto* content = new QWidget(&frame);
    content->setGeometry(10, 10, 400, 200);
    controller.view()->setParent(content);
    EXPECT_EQ(controller.operationsView()->backgroundView()->parentWidget(), &frame);
}

} // namespace
} // namespace orlix
