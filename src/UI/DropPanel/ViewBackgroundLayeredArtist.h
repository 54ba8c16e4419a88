#pragma once

#include "UI/DropPanel/LayeredArtist.h"

#include <QColor>

namespace orlix {

// Fills the whole view with one colour.
class ViewBackgroundLayeredArtist final : public LayeredArtist {
public:
    explicit ViewBackgroundLayeredArtist(QColor color)
        : color(color) {}

    void draw(QPainter& painter, const QWidget& view, const QRect& dirtyRect) const override;

    const QColor color;
};

} // namespace orlix
