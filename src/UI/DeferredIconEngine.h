#pragma once

#include <QIconEngine>

#include <functional>
#include <memory>
#include <optional>

namespace orlix {

// An icon whose pictures are read only when one is first drawn: a program that never shows a
// window (on a platform without windows, or one that is quitting) never decodes them, and one that
// does decodes them on the main thread after its work has begun, not before. Its sizes are known
// without reading anything.
class DeferredIconEngine : public QIconEngine {
public:
    DeferredIconEngine(std::function<QIcon()> make, QList<QSize> sizes);

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override;
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override;
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override;
    QString key() const override;
    QIconEngine* clone() const override;

private:
    const QIcon& icon();

    // Shared by the copies Qt makes of the icon, so that its pictures are read once.
    struct Pictures {
        std::function<QIcon()> make;
        std::optional<QIcon> icon;
    };
    std::shared_ptr<Pictures> pictures_;
    QList<QSize> sizes_;
};

} // namespace orlix
