#include "UI/ActivityWindow/HorizontalColoredSectionView.h"

#include "UI/Common/Palette.h"

#include <QPainter>

namespace orlix {

HorizontalColoredSectionView::HorizontalColoredSectionView(QWidget* parent)
    : StackViewActivityClippedView(parent) {}

void HorizontalColoredSectionView::setColors(QList<QColor> colors) {
    colors_ = std::move(colors);
    update();
}

QList<HorizontalColoredSectionView::Section> HorizontalColoredSectionView::sections() const {
    const QList<QColor> colors =
        colors_.isEmpty() ? QList<QColor>{Palette::windowBackground(palette())} : colors_;
    const int count = int(colors.size());
    const int sectionWidth = width() / count;
    QList<Section> result;
    for (int index = 0; index < count; ++index) {
        const int x = index * sectionWidth;
        const int bandWidth = index == count - 1 ? width() - x : sectionWidth;
        result.push_back({QRect(x, 0, bandWidth, height()), colors[index]});
    }
    return result;
}

void HorizontalColoredSectionView::drawClippedContent(QPainter& painter, const QRect&) {
    for (const auto& section : sections()) {
        painter.fillRect(section.rect, section.color);
    }
}

} // namespace orlix
