#pragma once

#include "UI/ActivityWindow/StackViewActivityClippedView.h"

#include <QColor>
#include <QList>
#include <QRect>

namespace orlix {

// The decorative stripe of the activity header: equal bands of colour side by side, the last
// band taking what the division leaves over.
class HorizontalColoredSectionView : public StackViewActivityClippedView {
public:
    struct Section {
        QRect rect;
        QColor color;
    };

    explicit HorizontalColoredSectionView(QWidget* parent = nullptr);

    const QList<QColor>& colors() const { return colors_; }
    void setColors(QList<QColor> colors);

    QList<Section> sections() const;

protected:
    void drawClippedContent(QPainter& painter, const QRect& dirtyRect) override;

private:
    QList<QColor> colors_;
};

} // namespace orlix
