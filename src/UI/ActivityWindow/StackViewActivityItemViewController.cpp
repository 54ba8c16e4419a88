#include "UI/ActivityWindow/StackViewActivityItemViewController.h"

#include "Export/BitmapResize.h"
#include "Model/ImagePixelSize.h"
#include "Model/ResizeConfig.h"
#include "Platform/Localization.h"
#include "Platform/MainQueue.h"
#include "UI/ActivityWindow/Checkerboard.h"
#include "UI/ActivityWindow/ClippedImageView.h"
#include "UI/ActivityWindow/ColoredLozengeLabel.h"
#include "UI/ActivityWindow/StackViewActivityClippedBackgroundView.h"
#include "UI/Common/OpacityFader.h"
#include "UI/Common/Palette.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include <chrono>

namespace orlix {

namespace {

using namespace std::chrono_literals;

QString text(const std::string& value) {
    return QString::fromStdString(value);
}

// Status lines may carry file names, which are never markup.
QLabel* plainLabel(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    label->setMinimumWidth(0);
    return label;
}

std::optional<ImagePixelSize> backingPixelSize(const QWidget* view) {
    const double scale = view->devicePixelRatioF();
    return ImagePixelSize::rounded(view->width() * scale, view->height() * scale);
}

} // namespace

StackViewActivityItemViewController::StackViewActivityItemViewController(QWidget* parent) {
    loadView(parent);
}

StackViewActivityItemViewController::~StackViewActivityItemViewController() {
    delete view_.data();
}

void StackViewActivityItemViewController::loadView(QWidget* parent) {
    view_ = new QWidget(parent);
    view_->setObjectName(QStringLiteral("activityRow"));
    auto* outer = new QVBoxLayout(view_);
    outer->setContentsMargins(4, 2, 4, 2);
    containerView_ = new QWidget(view_);
    outer->addWidget(containerView_);

    auto* grid = new QGridLayout(containerView_);
    grid->setContentsMargins(0, 0, 0, 0);
    backgroundView_ = new StackViewActivityClippedBackgroundView(containerView_);
    grid->addWidget(backgroundView_, 0, 0);
    auto* content = new QWidget(containerView_);
    grid->addWidget(content, 0, 0);

    auto* row = new QHBoxLayout(content);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    // The picture sits flush with the container's left edge so that the rounded outline cuts
    // its corners.
    auto* picture = new QWidget(content);
    picture->setFixedSize(thumbnailSide, thumbnailSide);
    checkerboardImageView_ = new ClippedImageView(picture);
    checkerboardImageView_->setGeometry(0, 0, thumbnailSide, thumbnailSide);
    thumbnailImageView_ = new ClippedImageView(picture);
    thumbnailImageView_->setGeometry(0, 0, thumbnailSide, thumbnailSide);
    thumbnailImageView_->hide();
    row->addWidget(picture, 0, Qt::AlignTop);

    auto* lines = new QVBoxLayout;
    lines->setContentsMargins(12, 6, 0, 6);
    lines->setSpacing(2);
    statusLineLayout_ = new QHBoxLayout;
    statusLineLayout_->setSpacing(0);
    statusLabel_ = plainLabel(content);
    statusLabel_->setObjectName(QStringLiteral("status"));
    statusLineLayout_->addWidget(statusLabel_, 1);
    statusTrailingSpace_ = new QSpacerItem(24, 0, QSizePolicy::Fixed, QSizePolicy::Minimum);
    statusLineLayout_->addItem(statusTrailingSpace_);
    slowActivityView_ = new QLabel(
        text(localized("Slow", "Activity row - marks an output that takes long to make")), content);
    slowActivityView_->setTextFormat(Qt::PlainText);
    slowActivityView_->setStyleSheet(QStringLiteral("color: gray;"));
    statusLineLayout_->addWidget(slowActivityView_);
    lines->addLayout(statusLineLayout_);

    additionalStatusInformationLabel_ = plainLabel(content);
    additionalStatusInformationLabel_->setObjectName(QStringLiteral("additionalStatus"));
    QFont small = additionalStatusInformationLabel_->font();
    small.setPixelSize(11);
    additionalStatusInformationLabel_->setFont(small);
    lines->addWidget(additionalStatusInformationLabel_);

    auto* lozenges = new QHBoxLayout;
    lozenges->setSpacing(4);
    outputTypeLabel_ = new ColoredLozengeLabel(content);
    outputResolutionLabel_ = new ColoredLozengeLabel(content);
    outputResizeLabel_ = new ColoredLozengeLabel(content);
    for (auto* label : {outputTypeLabel_, outputResolutionLabel_, outputResizeLabel_}) {
        lozenges->addWidget(label);
    }
    lozenges->addStretch();
    lines->addLayout(lozenges);
    lines->addStretch();
    row->addLayout(lines, 1);

    const auto checkerboard =
        checkerboardBase(QSize(qRound(thumbnailSide * view_->devicePixelRatioF()),
                               qRound(thumbnailSide * view_->devicePixelRatioF())));
    if (!checkerboard.isNull()) {
        QImage image = checkerboard;
        image.setDevicePixelRatio(double(image.width()) / thumbnailSide);
        checkerboardImageView_->setImage(image);
    }
    isSlowActivity_ = false;
    updateSlowActivityLayout();
    backgroundView_->setActivityContainerView(containerView_);
    outputTypeLabel_->setColor(Palette::quickOptimize());
    outputResolutionLabel_->setColor(Palette::usePreviousSettings());
    outputResizeLabel_->setColor(Palette::resizeAndOptimize());
    updateClipPath();
}

void StackViewActivityItemViewController::updateClipPath() {
    checkerboardImageView_->setClipContainer(containerView_);
    thumbnailImageView_->setClipContainer(containerView_);
}

QImage StackViewActivityItemViewController::checkerboardBase(const QSize& pixelSize) {
    // Main thread only, like every row.
    static QImage base;
    if (base.isNull() && !pixelSize.isEmpty()) {
        QImage image(pixelSize, QImage::Format_ARGB32_Premultiplied);
        if (!image.isNull()) {
            QPainter painter(&image);
            drawCheckerboard(painter, QColor::fromRgbF(0.882f, 0.882f, 0.882f),
                             std::uint32_t(pixelSize.width()), std::uint32_t(pixelSize.height()),
                             15, 15, QColor::fromRgbF(0.674f, 0.674f, 0.674f), true,
                             std::uint32_t(pixelSize.height()));
            painter.end();
            base = image;
        }
    }
    return base;
}

void StackViewActivityItemViewController::setFileURL(const Url& url) {
    fileURL_ = url;
    if (!thumbnailCache_) {
        return;
    }
    thumbnailCache_->thumbnail(url, [weakSelf = weak_from_this()](ThumbnailCache::Thumbnail image) {
        if (const auto self = weakSelf.lock()) {
            self->thumbnailLoaded(std::move(image));
        }
    });
}

void StackViewActivityItemViewController::setActivityStatus(const std::string& value) {
    activityStatus_ = value;
    statusLabel_->setText(text(value));
}

void StackViewActivityItemViewController::setActivityAdditionalStatusInformation(
    const std::string& value) {
    activityAdditionalStatusInformation_ = value;
    additionalStatusInformationLabel_->setText(text(value));
}

void StackViewActivityItemViewController::setLozengeText(ColoredLozengeLabel* label,
                                                         const std::string& value) {
    label->setString(text(value));
}

void StackViewActivityItemViewController::setOutputTypeText(const std::string& value) {
    setLozengeText(outputTypeLabel_, value);
}

void StackViewActivityItemViewController::setOutputResolutionText(const std::string& value) {
    setLozengeText(outputResolutionLabel_, value);
}

void StackViewActivityItemViewController::setOutputResizeText(const std::string& value) {
    setLozengeText(outputResizeLabel_, value);
}

void StackViewActivityItemViewController::updateSlowActivityLayout() {
    // The fixed space stays either way: to the indicator when it shows, to the edge otherwise.
    slowActivityView_->setVisible(isSlowActivity_);
    statusTrailingSpace_->changeSize(24, 0, QSizePolicy::Fixed, QSizePolicy::Minimum);
    statusLineLayout_->invalidate();
}

void StackViewActivityItemViewController::thumbnailLoaded(ThumbnailCache::Thumbnail image) {
    if (!image || !view_) {
        return;
    }
    const auto target = backingPixelSize(thumbnailImageView_);
    if (!target || target->width == 0 || target->height == 0) {
        return;
    }
    // Scaled to cover the whole area, small pictures enlarged too, and cropped in the middle.
    const auto cover = BitmapResize::resized(
        image, ResizeConfig::trim(target->width, target->height), std::nullopt);
    const QImage checkerboard = checkerboardBase(QSize(int(target->width), int(target->height)));
    if (!cover || checkerboard.isNull()) {
        return;
    }
    // The cache hands out premultiplied RGBA, byte for byte what Qt calls RGBA8888_Premultiplied;
    // the view keeps a copy, so the bitmap need not outlive this call.
    const QImage picture(cover->data(), int(cover->pixelsWide()), int(cover->pixelsHigh()),
                         qsizetype(cover->bytesPerRow()), QImage::Format_RGBA8888_Premultiplied);
    QImage composed = checkerboard.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    {
        QPainter painter(&composed);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter.drawImage(QPoint(0, 0), picture);
    }
    composed.setDevicePixelRatio(double(composed.width()) / thumbnailImageView_->width());
    thumbnailImageView_->setImage(composed);
    if (view_->isHidden()) {
        thumbnailImageView_->show();
        return;
    }
    MainQueue::async([weakSelf = weak_from_this()] {
        if (const auto self = weakSelf.lock(); self && self->view_) {
            OpacityFader::fadeIn(self->thumbnailImageView_, 500ms);
        }
    });
}

} // namespace orlix
