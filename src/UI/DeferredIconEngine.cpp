#include "UI/DeferredIconEngine.h"

#include <QPainter>

namespace orlix {

DeferredIconEngine::DeferredIconEngine(std::function<QIcon()> make, QList<QSize> sizes)
    : pictures_(std::make_shared<Pictures>(Pictures{std::move(make), std::nullopt}))
    , sizes_(std::move(sizes)) {}

const QIcon& DeferredIconEngine::icon() {
    if (!pictures_->icon) {
        pictures_->icon = pictures_->make();
    }
    return *pictures_->icon;
}

void DeferredIconEngine::paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
                               QIcon::State state) {
    icon().paint(painter, rect, Qt::AlignCenter, mode, state);
}

QPixmap DeferredIconEngine::pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) {
    return icon().pixmap(size, mode, state);
}

QPixmap DeferredIconEngine::scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                                         qreal scale) {
    return icon().pixmap(size, scale, mode, state);
}

QSize DeferredIconEngine::actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) {
    return icon().actualSize(size, mode, state);
}

QList<QSize> DeferredIconEngine::availableSizes(QIcon::Mode, QIcon::State) {
    return sizes_;
}

QString DeferredIconEngine::key() const {
    return QStringLiteral("DeferredIconEngine");
}

QIconEngine* DeferredIconEngine::clone() const {
    return new DeferredIconEngine(*this);
}

} // namespace orlix
