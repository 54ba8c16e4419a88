#pragma once

#include "Shared/SharedDefinitions.h"

#include <QWidget>

namespace orlix {

// The borderless, see-through window of the activity display: only its rounded panels are
// drawn, and it grows and shrinks with them, its top edge a fixed margin below the top of its
// screen and centred across it.
class StackViewActivityWindow : public QWidget {
public:
    // A little less than the drop window's margin, so that the header covers the drop window's
    // top edge.
    static constexpr double topMargin = windowTopMargin - 4.0;

    explicit StackViewActivityWindow(QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void place();
};

} // namespace orlix
