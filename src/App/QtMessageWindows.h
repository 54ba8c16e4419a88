#pragma once

#include "App/MessageWindows.h"

#include <chrono>
#include <memory>

class QWidget;

namespace orlix {

class MessageViewController;
class MessageWindowController;
class Updater;

// The message window on Qt: a frameless tool window hanging below the drop window, transient
// for it and following its moves. On X11 a see-through window still takes clicks, and without a
// compositor opacity does nothing, so a window faded out is hidden.
class QtMessageWindows final : public MessageWindows,
                               public std::enable_shared_from_this<QtMessageWindows> {
public:
    static constexpr int gapBelowDropWindow = 10;
    static constexpr std::chrono::milliseconds fadeDuration{300};

    // `dropWindow` answers the drop window, or nullptr while there is none.
    QtMessageWindows(std::function<QWidget*()> dropWindow, std::shared_ptr<Updater> updater);
    ~QtMessageWindows() override;
    QtMessageWindows(const QtMessageWindows&) = delete;
    QtMessageWindows& operator=(const QtMessageWindows&) = delete;

    bool hasMessageWindow() const override { return controller_ != nullptr; }
    void createMessageWindow(Message message, const std::optional<ProcessingStats>& stats,
                             std::function<void()> dismisser) override;
    void orderFrontMessageWindow() override;
    void setMessageWindowAlpha(double alpha) override;
    void animateMessageWindowAlpha(double alpha) override;
    void closeMessageWindow(bool animated) override;

    MessageWindowController* messageWindowController() const { return controller_.get(); }

private:
    std::shared_ptr<MessageViewController>
    makeMessage(Message message, const std::optional<ProcessingStats>& stats) const;

    std::function<QWidget*()> dropWindow_;
    std::shared_ptr<Updater> updater_;
    std::shared_ptr<MessageWindowController> controller_;
};

} // namespace orlix
