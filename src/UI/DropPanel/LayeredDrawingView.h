#pragma once

#include "UI/DropPanel/LayeredArtist.h"

#include <QWidget>

#include <memory>
#include <vector>

namespace orlix {

// A view whose look is a list of artists drawn one over the other, first to last.
class LayeredDrawingView : public QWidget {
public:
    using Artists = std::vector<std::shared_ptr<const LayeredArtist>>;

    explicit LayeredDrawingView(QWidget* parent = nullptr);

    const Artists& artists() const { return artists_; }
    // Always repaints, even when the list is the one the view has.
    void setArtists(Artists artists);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Artists artists_;
};

} // namespace orlix
