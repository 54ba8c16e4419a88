#pragma once

#include <QWidget>

namespace orlix {

// The borderless, see-through window of the activity display: only its rounded panels are
// drawn, and it grows and shrinks with them.
class StackViewActivityWindow : public QWidget {
public:
    explicit StackViewActivityWindow(QWidget* parent = nullptr);
};

} // namespace orlix
