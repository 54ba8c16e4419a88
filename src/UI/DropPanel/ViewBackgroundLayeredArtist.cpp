#include "UI/DropPanel/ViewBackgroundLayeredArtist.h"

#include <QPainter>
#include <QWidget>

namespace orlix {

void ViewBackgroundLayeredArtist::draw(QPainter& painter, const QWidget& view, const QRect&) const {
    painter.fillRect(view.rect(), color);
}

} // namespace orlix
