#include "App/QtMessageWindows.h"

#include "App/EnableAutomaticUpdatesViewController.h"
#include "App/MessageWindowController.h"
#include "UI/ActivityWindow/ProcessingResultsMessageViewController.h"
#include "UI/Common/OpacityFader.h"
#include "UI/DropWindow/EnableDragUIMessageViewController.h"

#include <QWidget>

namespace orlix {

QtMessageWindows::QtMessageWindows(std::function<QWidget*()> dropWindow,
                                   std::shared_ptr<Updater> updater)
    : dropWindow_(std::move(dropWindow))
    , updater_(std::move(updater)) {}

QtMessageWindows::~QtMessageWindows() = default;

std::shared_ptr<MessageViewController>
QtMessageWindows::makeMessage(Message message, const std::optional<ProcessingStats>& stats) const {
    switch (message) {
    case Message::processingResults: {
        auto results = std::make_shared<ProcessingResultsMessageViewController>();
        results->setProcessingStats(stats);
        return results;
    }
    case Message::enableDragUI:
        return std::make_shared<EnableDragUIMessageViewController>();
    case Message::enableAutomaticUpdates:
        break;
    }
    return std::make_shared<EnableAutomaticUpdatesViewController>(updater_);
}

void QtMessageWindows::createMessageWindow(Message message,
                                           const std::optional<ProcessingStats>& stats,
                                           std::function<void()> dismisser) {
    controller_ = std::make_shared<MessageWindowController>();
    controller_->setMessageViewController(makeMessage(message, stats));
    controller_->dismisser = std::move(dismisser);
    if (QWidget* dropWindow = dropWindow_ ? dropWindow_() : nullptr) {
        controller_->attach(dropWindow, gapBelowDropWindow);
    }
}

void QtMessageWindows::orderFrontMessageWindow() {
    if (controller_ && controller_->window()) {
        // Shown without activating: the window manager keeps it above the drop window.
        controller_->window()->show();
    }
}

void QtMessageWindows::setMessageWindowAlpha(double alpha) {
    if (controller_ && controller_->window()) {
        OpacityFader::set(controller_->window(), alpha);
    }
}

void QtMessageWindows::animateMessageWindowAlpha(double alpha) {
    QWidget* window = controller_ ? controller_->window() : nullptr;
    if (!window) {
        return;
    }
    OpacityFader::fadeWindow(window, alpha, fadeDuration);
}

void QtMessageWindows::closeMessageWindow(bool animated) {
    if (!controller_) {
        return;
    }
    controller_->detach();
    if (!animated || !controller_->window() || controller_->window()->isHidden()) {
        controller_.reset();
        return;
    }
    // Dropped once it has faded out, unless a newer window has taken its place meanwhile.
    const std::weak_ptr<QtMessageWindows> weakSelf = weak_from_this();
    const std::weak_ptr<MessageWindowController> closing = controller_;
    OpacityFader::fade(controller_->window(), 0.0, fadeDuration, [weakSelf, closing] {
        const auto self = weakSelf.lock();
        if (self && self->controller_ && self->controller_ == closing.lock()) {
            self->controller_.reset();
        }
    });
}

} // namespace orlix
