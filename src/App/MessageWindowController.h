#pragma once

#include "UI/Common/DismissableUI.h"
#include "UI/Common/MessageViewController.h"

#include <QPointer>

#include <memory>

class QObject;
class QWidget;

namespace orlix {

class ApplicationActivationObserver;
class MessageBackgroundView;

// The small frameless window below the drop window that shows one message at a time. A message
// closes itself through the window's own dismisser, which its owner sets; the window fits its
// height to the message and grows or shrinks downwards. Its labels turn grey while Orlix is
// inactive. Main thread only.
class MessageWindowController final : public DismissableUI {
public:
    MessageWindowController();
    ~MessageWindowController() override;
    MessageWindowController(const MessageWindowController&) = delete;
    MessageWindowController& operator=(const MessageWindowController&) = delete;

    // nullptr once the window is gone.
    QWidget* window() const { return window_; }
    MessageBackgroundView* contentView() const { return contentView_; }

    const std::shared_ptr<MessageViewController>& messageViewController() const {
        return messageViewController_;
    }
    // Detaches the message on show, if any, and installs the new one.
    void setMessageViewController(std::shared_ptr<MessageViewController> message);

    // Hangs the window `gap` points below the bottom-left corner of `parentWindow`, kept above it
    // by the window manager and moving with it, until it is detached.
    void attach(QWidget* parentWindow, int gap);
    void detach();
    QWidget* parentWindow() const { return parentWindow_; }

    // The last activation state the window saw.
    bool activated() const { return activated_; }
    // Recolours the window's labels, those of the message included, for the state.
    void setActivated(bool activated);

private:
    void windowDidLoad();
    void activationChanged(bool activated);
    void removeMessageViewController();
    void show();
    void followParentWindow();

    QPointer<QWidget> window_;
    MessageBackgroundView* contentView_ = nullptr;
    bool activated_ = true;
    std::unique_ptr<ApplicationActivationObserver> applicationActivationObserver_;
    std::shared_ptr<MessageViewController> messageViewController_;
    QPointer<QWidget> parentWindow_;
    int gap_ = 0;
    std::unique_ptr<QObject> parentWindowFollower_;
};

} // namespace orlix
