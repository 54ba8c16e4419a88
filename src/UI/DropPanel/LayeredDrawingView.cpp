#include "UI/DropPanel/LayeredDrawingView.h"

#include <QPaintEvent>
#include <QPainter>

namespace orlix {

LayeredDrawingView::LayeredDrawingView(QWidget* parent)
    : QWidget(parent) {}

void LayeredDrawingView::setArtists(Artists artists) {
    artists_ = std::move(artists);
    update();
}

void LayeredDrawingView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    for (const auto& artist : artists_) {
        if (artist) {
            artist->draw(painter, *this, event->rect());
        }
    }
}

} // namespace orlix
