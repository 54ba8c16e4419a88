#pragma once

#include "UI/DropPanel/LayeredArtist.h"

#include <QColor>

#include <optional>

namespace orlix {

// Up to four straight lines along the edges of a view, each stopping short of the ends of its
// edge by its margin.
class ViewBorderLayeredArtist final : public LayeredArtist {
public:
    struct Border {
        double width = 1.0;
        double margin = 0.0;
        QColor color;
    };

    void draw(QPainter& painter, const QWidget& view, const QRect& dirtyRect) const override;

    std::optional<Border> leftBorder;
    std::optional<Border> topBorder;
    std::optional<Border> rightBorder;
    std::optional<Border> bottomBorder;
};

} // namespace orlix
