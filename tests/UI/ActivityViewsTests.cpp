#include "Platform/MainQueue.h"
#include "Platform/RunLoop.h"
#include "Platform/ScopedManualClock.h"
#include "Support/TestImages.h"
#include "UI/ActivityWindow/Checkerboard.h"
#include "UI/ActivityWindow/ClippedImageView.h"
#include "UI/ActivityWindow/ColoredLozengeLabel.h"
#include "UI/ActivityWindow/HorizontalColoredSectionView.h"
#include "UI/ActivityWindow/StackViewActivityClippedBackgroundView.h"
#include "UI/ActivityWindow/StackViewActivityHeaderViewController.h"
#include "UI/ActivityWindow/StackViewActivityItemViewController.h"
#include "UI/ActivityWindow/StackViewActivityShadowedContainerView.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetricsF>
#include <QGraphicsEffect>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <tuple>

namespace orlix {
namespace {

using namespace std::chrono_literals;
using HeaderState = StackViewActivityHeaderViewController;

// Only what the view paints, without the window background a plain render adds.
void renderPainted(QWidget& view, QImage& image) {
    view.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
}

QList<int> widths(const QList<HorizontalColoredSectionView::Section>& sections) {
    QList<int> result;
    for (const auto& section : sections) {
        result.push_back(section.rect.width());
    }
    return result;
}

TEST(ActivityViewsTests, StripeBandsShareTheWidthAndTheLastTakesTheRest) {
    HorizontalColoredSectionView stripe;
    stripe.resize(301, 4);
    EXPECT_EQ(stripe.sections().size(), 1) << "without colours, one band of background";
    EXPECT_EQ(stripe.sections()[0].rect, QRect(0, 0, 301, 4));

    stripe.setColors(QList<QColor>(8, Qt::red));
    const auto sections = stripe.sections();
    EXPECT_EQ(widths(sections), (QList<int>{37, 37, 37, 37, 37, 37, 37, 42}));
    EXPECT_EQ(sections[7].rect.x(), 259);
    stripe.resize(300, 4);
    EXPECT_EQ(stripe.sections().last().rect.width(), 41);
}

TEST(ActivityViewsTests, CheckerboardStartsWithABackgroundCellAtTheTopLeftWhenFlipped) {
    QImage image(40, 20, QImage::Format_ARGB32);
    QPainter painter(&image);
    drawCheckerboard(painter, Qt::white, 40, 20, 15, 15, Qt::black, true, 20);
    painter.end();
    EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(16, 0), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(31, 0), QColor(Qt::white)) << "third column, cut by the edge";
    EXPECT_EQ(image.pixelColor(0, 16), QColor(Qt::black)) << "second row starts the other way";

    // Not flipped, the first row lies at the bottom.
    QImage bottomUp(30, 30, QImage::Format_ARGB32);
    painter.begin(&bottomUp);
    drawCheckerboard(painter, Qt::white, 30, 30, 15, 15, Qt::black, false, 30);
    painter.end();
    EXPECT_EQ(bottomUp.pixelColor(0, 29), QColor(Qt::white));
    EXPECT_EQ(bottomUp.pixelColor(0, 0), QColor(Qt::black));

    QImage empty(10, 10, QImage::Format_ARGB32);
    empty.fill(Qt::green);
    painter.begin(&empty);
    drawCheckerboard(painter, Qt::white, 10, 0, 15, 15, Qt::black, true, 0);
    painter.end();
    EXPECT_EQ(empty.pixelColor(5, 5), QColor(Qt::green));
}

TEST(ActivityViewsTests, ShadowKeepsItsSizeAndBuildsUpInside) {
    StackViewActivityShadowedContainerView shadow(QSize(100, 50));
    shadow.resize(300, 200);
    EXPECT_EQ(shadow.sizeHint(), QSize(100, 50));
    shadow.resize(100, 50);
    QImage image(100, 50, QImage::Format_ARGB32);
    image.fill(Qt::white);
    renderPainted(shadow, image);
    // Four layers of 1 to 4 per cent black.
    EXPECT_NEAR(image.pixelColor(50, 25).redF(), 1.0 - 0.097, 0.01);
    EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::white));
}

// Backgrounds, stripe, checkerboard and thumbnail share one outline: the container's bounds inset
// by 1 point, with corners of radius 10, wherever the view that draws lies in the container.
TEST(ActivityViewsTests, TheRoundedShapesShareOneOutline) {
    QWidget container;
    container.resize(100, 60);
    QWidget inside(&container);
    inside.setGeometry(20, 10, 30, 30);
    QPainterPath outline;
    outline.addRoundedRect(QRectF(1.0, 1.0, 98.0, 58.0), 10.0, 10.0);
    EXPECT_EQ(StackViewActivityClippedView::containerOutline(&container, &container), outline);
    EXPECT_EQ(StackViewActivityClippedView::containerOutline(&container, &inside),
              outline.translated(-20.0, -10.0));
}

// Four rings, 1 point apart from 1 point inside the edge, of 1, 2, 3 and 4 per cent black, over
// white.
TEST(ActivityViewsTests, TheShadowsRingsDarkenInwardsOnePointApart) {
    StackViewActivityShadowedContainerView shadow(QSize(100, 50));
    QImage image(100, 50, QImage::Format_ARGB32);
    image.fill(Qt::white);
    renderPainted(shadow, image);
    const struct {
        int x;
        double grey;
    } rings[] = {{0, 1.0},
                 {1, 0.99},
                 {2, 0.99 * 0.98},
                 {3, 0.99 * 0.98 * 0.97},
                 {4, 0.99 * 0.98 * 0.97 * 0.96},
                 {50, 0.99 * 0.98 * 0.97 * 0.96}};
    for (const auto& ring : rings) {
        EXPECT_NEAR(image.pixelColor(ring.x, 25).red(), ring.grey * 255, 1.5) << ring.x;
    }
}

// The shadow is drawn from a small picture of its corners and middle lines: at any size it is the
// four rings drawn whole, but for the rounding of one more layer of blending.
TEST(ActivityViewsTests, TheShadowInPiecesIsTheShadowDrawnWhole) {
    for (const QSize size : {QSize(37, 37), QSize(38, 200), QSize(431, 263), QSize(30, 300)}) {
        SCOPED_TRACE(size.width() * 1000 + size.height());
        StackViewActivityShadowedContainerView shadow(size);
        QImage pieces(size, QImage::Format_ARGB32_Premultiplied);
        pieces.fill(Qt::transparent);
        renderPainted(shadow, pieces);
        QImage whole(size, QImage::Format_ARGB32_Premultiplied);
        whole.fill(Qt::transparent);
        QPainter painter(&whole);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        for (int ring = 1; ring <= 4; ++ring) {
            painter.setBrush(QColor(0, 0, 0, qRound(0.01 * ring * 255)));
            const double radius = 13.0 - 0.75 * (ring - 1);
            painter.drawRoundedRect(QRectF(QPointF(), size).adjusted(ring, ring, -ring, -ring),
                                    radius, radius);
        }
        painter.end();
        int largest = 0;
        for (int y = 0; y < size.height(); ++y) {
            for (int x = 0; x < size.width(); ++x) {
                largest = std::max(
                    largest, std::abs(qAlpha(pieces.pixel(x, y)) - qAlpha(whole.pixel(x, y))));
            }
        }
        EXPECT_LE(largest, 1);
    }
}

TEST(ActivityViewsTests, ClippedViewsDrawOnlyInsideTheRoundedOutline) {
    QWidget container;
    container.resize(100, 60);
    StackViewActivityClippedBackgroundView background(&container);
    background.setGeometry(0, 0, 100, 60);
    background.setBackgroundColor(Qt::red);
    QImage image(100, 60, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    renderPainted(background, image);
    EXPECT_EQ(image.pixelColor(1, 1).alpha(), 255) << "no container: unclipped";

    background.setActivityContainerView(&container);
    image.fill(Qt::transparent);
    renderPainted(background, image);
    EXPECT_EQ(image.pixelColor(1, 1).alpha(), 0);
    EXPECT_EQ(image.pixelColor(50, 0).alpha(), 0) << "the outline lies 1 point inside";
    EXPECT_EQ(image.pixelColor(50, 1), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(50, 30), QColor(Qt::red));

    ClippedImageView imageView(&container);
    imageView.setGeometry(0, 0, 100, 60);
    QImage picture(100, 60, QImage::Format_ARGB32);
    picture.fill(Qt::blue);
    imageView.setImage(picture);
    imageView.setClipContainer(&container);
    image.fill(Qt::transparent);
    renderPainted(imageView, image);
    EXPECT_EQ(image.pixelColor(0, 59).alpha(), 0);
    EXPECT_EQ(image.pixelColor(50, 30), QColor(Qt::blue));
}

TEST(ActivityViewsTests, LozengeHugsItsTextAndStaysCentred) {
    ColoredLozengeLabel lozenge;
    lozenge.setString(QStringLiteral("PNG"));
    QFont bold = lozenge.font();
    bold.setPixelSize(10);
    bold.setBold(true);
    const QFontMetricsF metrics(bold);
    EXPECT_EQ(lozenge.sizeHint().width(), qCeil(metrics.horizontalAdvance("PNG") + 23.0));
    EXPECT_EQ(lozenge.sizeHint().height(), qCeil(metrics.height() + 5.0));

    lozenge.resize(lozenge.sizeHint() + QSize(40, 20));
    const QRectF outline = lozenge.outlineRect();
    EXPECT_NEAR(outline.center().x(), lozenge.width() / 2.0, 0.01);
    EXPECT_NEAR(outline.center().y(), lozenge.height() / 2.0, 0.01);
    EXPECT_NEAR(outline.width(), metrics.horizontalAdvance("PNG") + 22.0, 0.01);
}

class HeaderTests : public ::testing::Test {
protected:
    HeaderTests() { MainQueue::setExecutor(loop_); }
    ~HeaderTests() override { MainQueue::setExecutor(nullptr); }

    std::shared_ptr<RunLoop> loop_ = std::make_shared<RunLoop>();
    StackViewActivityHeaderViewController header_;
};

TEST_F(HeaderTests, ShowsProgressThenTheResult) {
    EXPECT_EQ(header_.progressStatusString(), "Images processed");
    EXPECT_TRUE(header_.processingProgressText()->isHidden());
    EXPECT_TRUE(header_.processingProgressIndicator()->isHidden());
    EXPECT_TRUE(header_.cancelButton()->isHidden());
    EXPECT_TRUE(header_.completedAdditionalInfoTextField()->isHidden());
    EXPECT_EQ(header_.coloredSectionView()->colors().size(), 8);

    header_.setProcessingState(HeaderState::InProgress{3, 10});
    header_.updateUI();
    EXPECT_EQ(header_.processingProgressText()->text(), "3 of 10...");
    EXPECT_EQ(header_.processingProgressIndicator()->value(), 3);
    EXPECT_EQ(header_.processingProgressIndicator()->maximum(), 10);
    header_.setProcessingState(HeaderState::InProgress{10, 10});
    header_.updateUI();
    EXPECT_EQ(header_.processingProgressText()->text(), "Done");
    EXPECT_FALSE(header_.cancelButton()->isHidden()) << "cancel stays while in progress";

    header_.setProcessingState(HeaderState::Completed{5, 1, 0, 1000, 580});
    header_.updateUI();
    EXPECT_EQ(header_.progressStatusLabel()->text(), "Processing complete: 42% reduction");
    EXPECT_EQ(header_.completedAdditionalInfoTextField()->text(),
              "<b>5</b> succeeded. <b>1</b> failed. <b>0</b> canceled.");
    EXPECT_TRUE(header_.cancelButton()->isHidden());
    EXPECT_TRUE(header_.processingProgressIndicator()->isHidden());

    for (const auto& [original, processed] : {std::pair{1000u, 1000u}, std::pair{0u, 580u}}) {
        header_.setProcessingState(HeaderState::Completed{5, 0, 0, original, processed});
        header_.updateUI();
        EXPECT_EQ(header_.progressStatusString(), "Processing complete");
    }
}

TEST_F(HeaderTests, TheStripeRunsThroughItsEightColoursInOrder) {
    const QColor stripe[] = {{255, 41, 104}, {27, 173, 248}, {99, 218, 56}, {162, 132, 94},
                             {255, 204, 0},  {255, 59, 48},  {255, 149, 0}, {204, 115, 225}};
    const auto colors = header_.coloredSectionView()->colors();
    ASSERT_EQ(colors.size(), 8);
    for (int index = 0; index < 8; ++index) {
        EXPECT_EQ(colors[index], stripe[index]) << index;
    }
}

TEST_F(HeaderTests, TextsTurnGreyWhileTheApplicationIsInactive) {
    // The offscreen platform never changes state by itself, and nothing is recoloured before
    // the first change.
    emit qGuiApp->applicationStateChanged(Qt::ApplicationActive);
    emit qGuiApp->applicationStateChanged(Qt::ApplicationInactive);
    EXPECT_FALSE(header_.isActivated());
    EXPECT_EQ(header_.progressStatusLabel()->palette().color(QPalette::WindowText),
              QColor(170, 170, 170));
    emit qGuiApp->applicationStateChanged(Qt::ApplicationActive);
    EXPECT_TRUE(header_.isActivated());
    EXPECT_NE(header_.progressStatusLabel()->palette().color(QPalette::WindowText),
              QColor(170, 170, 170));
}

class RowTests : public ::testing::Test {
protected:
    RowTests() { MainQueue::setExecutor(loop_); }
    ~RowTests() override {
        row_.reset();
        loop_->runUntilIdle();
        MainQueue::setExecutor(nullptr);
    }

    QImage shownThumbnail() const { return row_->thumbnailImageView()->image(); }

    testing::ScopedManualClock clock_;
    std::shared_ptr<RunLoop> loop_ = std::make_shared<RunLoop>();
    std::shared_ptr<StackViewActivityItemViewController> row_ =
        std::make_shared<StackViewActivityItemViewController>();
};

TEST_F(RowTests, ATransparentPictureShowsTheCheckerboardThroughIt) {
    row_->view()->hide();
    auto transparent = BitmapImageRep::make(300, 100, CoarseBitmapInfo::rgbaSRGB());
    row_->thumbnailLoaded(transparent);
    EXPECT_FALSE(row_->thumbnailImageView()->isHidden()) << "a hidden row shows it at once";
    const QImage image = shownThumbnail();
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.pixel(0, 0), qRgb(225, 225, 225)) << "the top-left cell is light";
    // Cells of 15 pixels.
    for (const auto& [x, y, light] :
         {std::tuple{14, 0, true}, std::tuple{15, 0, false}, std::tuple{29, 0, false},
          std::tuple{30, 0, true}, std::tuple{0, 14, true}, std::tuple{0, 15, false}}) {
        EXPECT_EQ(image.pixel(x, y), light ? qRgb(225, 225, 225) : qRgb(172, 172, 172))
            << x << "," << y;
    }
}

TEST_F(RowTests, AWidePictureIsCroppedToFillTheWholeArea) {
    auto wide = testing::TestImages::rgbaBitmap(600, 100, [](std::uint32_t x, std::uint32_t) {
        return x < 300 ? std::array<std::uint8_t, 3>{255, 0, 0}
                       : std::array<std::uint8_t, 3>{0, 0, 255};
    });
    row_->view()->show();
    row_->thumbnailLoaded(wide);
    EXPECT_TRUE(row_->thumbnailImageView()->isHidden()) << "a visible row fades it in";
    loop_->runUntilIdle();
    EXPECT_FALSE(row_->thumbnailImageView()->isHidden());
    const QImage image = shownThumbnail();
    const int last = image.width() - 1;
    EXPECT_GT(image.pixelColor(1, image.height() - 1).red(), 200) << "no letterbox";
    EXPECT_GT(image.pixelColor(last, 0).blue(), 200);
    row_->view()->hide();
}

TEST_F(RowTests, ASmallPictureIsEnlargedToFillTheWholeArea) {
    row_->view()->hide();
    row_->thumbnailLoaded(testing::TestImages::rgbaBitmap(20, 10, [](std::uint32_t, std::uint32_t) {
        return std::array<std::uint8_t, 3>{0, 200, 0};
    }));
    const QImage image = shownThumbnail();
    ASSERT_EQ(image.size(), QSize(StackViewActivityItemViewController::thumbnailSide,
                                  StackViewActivityItemViewController::thumbnailSide));
    for (const QPoint corner : {QPoint(0, 0), QPoint(image.width() - 1, image.height() - 1)}) {
        EXPECT_EQ(image.pixel(corner), qRgb(0, 200, 0)) << "no checkerboard shows around it";
    }
}

// The lozenges wear the colours of the zones: quick optimize's for the output type, use previous
// settings' for the resolution, resize and optimize's for the resize.
TEST_F(RowTests, EachLozengeWearsTheColourOfWhatItNames) {
    const struct {
        ColoredLozengeLabel* lozenge;
        QColor color;
    } lozenges[] = {{row_->outputTypeLabel(), {255, 41, 104}},
                    {row_->outputResolutionLabel(), {99, 218, 56}},
                    {row_->outputResizeLabel(), {27, 173, 248}}};
    for (const auto& [lozenge, color] : lozenges) {
        EXPECT_EQ(lozenge->color(), color);
    }
}

TEST_F(RowTests, TheStatusLineKeeps24PointsToWhatFollowsIt) {
    QWidget* view = row_->view();
    view->resize(440, 80);
    view->show();
    for (const bool slow : {true, false, true}) {
        row_->setSlowActivity(slow);
        row_->updateSlowActivityLayout();
        QApplication::processEvents();
        const QRect status = row_->statusLabel()->geometry();
        const int next = slow ? row_->slowActivityView()->geometry().left()
                              : row_->statusLabel()->parentWidget()->width();
        EXPECT_EQ(next - (status.right() + 1), 24) << (slow ? "to the indicator" : "to the edge");
        EXPECT_EQ(row_->slowActivityView()->isVisible(), slow);
    }
    view->hide();
}

TEST_F(RowTests, AThumbnailFadesInOverHalfASecondOnAShownRow) {
    row_->view()->show();
    row_->thumbnailLoaded(testing::TestImages::rgbaBitmap(20, 10, [](std::uint32_t, std::uint32_t) {
        return std::array<std::uint8_t, 3>{0, 200, 0};
    }));
    loop_->runUntilIdle();
    const QWidget* thumbnail = row_->thumbnailImageView();
    EXPECT_FALSE(thumbnail->isHidden());
    clock_->advance(499ms);
    loop_->runUntilIdle();
    ASSERT_TRUE(thumbnail->graphicsEffect());
    EXPECT_TRUE(thumbnail->graphicsEffect()->isEnabled()) << "still fading";
    clock_->advance(1ms);
    loop_->runUntilIdle();
    EXPECT_FALSE(thumbnail->graphicsEffect()->isEnabled()) << "faded in";
    row_->view()->hide();
}

TEST_F(RowTests, NothingToShowLeavesTheCheckerboardAlone) {
    row_->thumbnailLoaded(nullptr);
    EXPECT_TRUE(row_->thumbnailImageView()->isHidden());
    EXPECT_FALSE(row_->checkerboardImageView()->image().isNull());
    EXPECT_TRUE(row_->slowActivityView()->isHidden());
}

} // namespace
} // namespace orlix
