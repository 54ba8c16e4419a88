#pragma once

#include <QWidget>

namespace orlix {

// The message window's content: an opaque panel in the window background colour with corners
// rounded by 10 points, on a window that is otherwise transparent.
class MessageBackgroundView final : public QWidget {
public:
    static constexpr double cornerRadius = 10.0;

    explicit MessageBackgroundView(QWidget* parent = nullptr);

    // The panel's outline in the view's coordinates.
    QPainterPath outline() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
};

} // namespace orlix
