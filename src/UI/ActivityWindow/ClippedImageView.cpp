#include "UI/ActivityWindow/ClippedImageView.h"

#include "UI/ActivityWindow/StackViewActivityClippedView.h"

#include <QPainter>

namespace orlix {

ClippedImageView::ClippedImageView(QWidget* parent)
    : QWidget(parent) {}

void ClippedImageView::setImage(const QImage& image) {
    image_ = image;
    update();
}

void ClippedImageView::setClipPath(std::optional<QPainterPath> path) {
    clipPath_ = std::move(path);
    update();
}

void ClippedImageView::setClipContainer(QWidget* container) {
    clipContainer_ = container;
    update();
}

void ClippedImageView::paintEvent(QPaintEvent*) {
    if (image_.isNull()) {
        return;
    }
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    if (clipPath_) {
        painter.setClipPath(*clipPath_);
    } else if (clipContainer_) {
        painter.setClipPath(StackViewActivityClippedView::containerOutline(clipContainer_, this));
    }
    QSizeF size = image_.deviceIndependentSize();
    if (size.width() > width() || size.height() > height()) {
        size.scale(QSizeF(this->size()), Qt::KeepAspectRatio);
    }
    const QRectF target((width() - size.width()) / 2.0, (height() - size.height()) / 2.0,
                        size.width(), size.height());
    painter.drawImage(target, image_);
}

} // namespace orlix
