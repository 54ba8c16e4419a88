#pragma once

class QWidget;

namespace orlix {

// Ends the editing in `view`'s window by taking the focus from the text field that has it, so that
// the field delivers what was typed into it.
void endEditing(QWidget* view);

} // namespace orlix
