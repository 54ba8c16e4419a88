#pragma once

class QWidget;

namespace orlix {

// Ends the editing in `view`'s window by taking the focus from the widget that has it, so that a
// field delivers what was typed into it.
void endEditing(QWidget* view);

} // namespace orlix
