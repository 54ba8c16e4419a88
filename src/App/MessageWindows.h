#pragma once

#include "TaskProcessing/ProcessingStats.h"

#include <functional>
#include <optional>

namespace orlix {

// The message window below the drop window as the application delegate drives it: at most one,
// made for one message and dropped when that message is closed. The program realises it on Qt;
// tests fake it.
class MessageWindows {
public:
    enum class Message { processingResults, enableDragUI, enableAutomaticUpdates };

    virtual ~MessageWindows() = default;
    virtual bool hasMessageWindow() const = 0;
    // Makes the message window with `message`, 10 points below the drop window and moving with
    // it; the results message lists `stats`. `dismisser` runs when the message asks to be closed.
    virtual void createMessageWindow(Message message, const std::optional<ProcessingStats>& stats,
                                     std::function<void()> dismisser) = 0;
    // Shows it, above the drop window, without taking the keyboard.
    virtual void orderFrontMessageWindow() = 0;
    // Sets its opacity at once, or fades it in the standard time; faded out, it is hidden.
    virtual void setMessageWindowAlpha(double alpha) = 0;
    virtual void animateMessageWindowAlpha(double alpha) = 0;
    // Takes it away and drops it: at once, or once it has faded out.
    virtual void closeMessageWindow(bool animated) = 0;
};

} // namespace orlix
