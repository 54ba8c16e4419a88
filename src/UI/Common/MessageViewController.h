#pragma once

#include "UI/Common/DismissableUI.h"

class QWidget;

namespace orlix {

// A message of the message window: a view of the window's width that closes itself through its
// dismisser. The message owns its view; the window only lends it a place.
class MessageViewController : public DismissableUI {
public:
    // The width of the message window and of every message in it: the drop window's, which the
    // message hangs below.
    static constexpr int messageWidth = 560;

    // nullptr once the view is gone.
    virtual QWidget* view() const = 0;
};

} // namespace orlix
