#pragma once

class QPainter;
class QRect;
class QWidget;

namespace orlix {

// One layer of a layered drawing view's look. Artists are immutable values; a view repaints by
// taking a new list of them.
class LayeredArtist {
public:
    virtual ~LayeredArtist() = default;
    // Draws into `view`, which is being painted with `painter`, relative to the view's rectangle.
    virtual void draw(QPainter& painter, const QWidget& view, const QRect& dirtyRect) const = 0;
};

} // namespace orlix
