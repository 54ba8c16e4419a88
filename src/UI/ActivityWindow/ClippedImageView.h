#pragma once

#include <QImage>
#include <QPainterPath>
#include <QPointer>
#include <QWidget>

#include <optional>

namespace orlix {

// Shows a picture, scaled down to fit and centred, clipped to a path given in the view's own
// coordinates, or to the rounded outline of a container, taken when drawing so that it follows
// the layout.
class ClippedImageView : public QWidget {
public:
    explicit ClippedImageView(QWidget* parent = nullptr);

    const QImage& image() const { return image_; }
    void setImage(const QImage& image);
    const std::optional<QPainterPath>& clipPath() const { return clipPath_; }
    void setClipPath(std::optional<QPainterPath> path);
    // Held weakly; an explicit path wins.
    void setClipContainer(QWidget* container);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage image_;
    std::optional<QPainterPath> clipPath_;
    QPointer<QWidget> clipContainer_;
};

} // namespace orlix
