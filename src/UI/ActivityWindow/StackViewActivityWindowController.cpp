#include "UI/ActivityWindow/StackViewActivityWindowController.h"

#include "Model/Preferences.h"
#include "Platform/MainQueue.h"
#include "TaskProcessing/ProcessingStats.h"
#include "TaskProcessing/ProcessingTracker.h"
#include "UI/ActivityWindow/StackViewActivityHeaderViewController.h"
#include "UI/ActivityWindow/StackViewActivityItemViewController.h"
#include "UI/ActivityWindow/StackViewActivityShadowedContainerView.h"
#include "UI/ActivityWindow/StackViewActivityWindow.h"
#include "UI/Common/OpacityFader.h"
#include "UI/Common/WindowPresentation.h"
#include "UI/NonEssentialUINotifications.h"

#include <QGridLayout>
#include <QPointer>
#include <QPropertyAnimation>
#include <QVBoxLayout>

#include <chrono>

namespace orlix {

namespace {

using namespace std::chrono_literals;

constexpr auto fadeDuration = 300ms;

} // namespace

StackViewActivityWindowController::StackViewActivityWindowController() = default;

StackViewActivityWindowController::~StackViewActivityWindowController() {
    processingBeganObserver_.reset();
    processingCompletedObserver_.reset();
    statisticsChangedObserver_.reset();
    showNonEssentialUIObserver_.reset();
    hideNonEssentialUIObserver_.reset();
    activeControllers_.clear();
    activityItemControllers_.clear();
    headerViewController_.reset();
    delete window_.data();
}

void StackViewActivityWindowController::setThumbnailCache(
    std::shared_ptr<ThumbnailCache> thumbnailCache) {
    thumbnailCache_ = std::move(thumbnailCache);
}

void StackViewActivityWindowController::setOverallActivityUIDelegate(
    std::weak_ptr<OverallActivityUIDelegate> delegate) {
    overallActivityUIDelegate_ = std::move(delegate);
}

void StackViewActivityWindowController::setItemActivityUIDelegate(
    std::weak_ptr<ItemActivityUIDelegate> delegate) {
    itemActivityUIDelegate_ = std::move(delegate);
}

QWidget* StackViewActivityWindowController::window() const {
    return window_;
}

void StackViewActivityWindowController::loadWindow() {
    if (window_) {
        return;
    }
    setUpWindow();
    observeNotifications();
    displayActivityItemsPreference_ = Preferences::load().displayActivityDetailView;
    updateItemsVisibility();
}

void StackViewActivityWindowController::setUpWindow() {
    window_ = new StackViewActivityWindow;
    auto* content = new QGridLayout(window_);
    content->setContentsMargins(0, 0, 0, 0);
    // The window follows the stack as rows come and go.
    content->setSizeConstraint(QLayout::SetFixedSize);
    // The soft shadow lies behind the whole list and grows with it; its innermost ring meets the
    // rounded outlines of the header and the rows, which sit 4 points inside their views.
    auto* shadow = new StackViewActivityShadowedContainerView(QSize(stackWidth, 0), window_);
    content->addWidget(shadow, 0, 0);
    activityStackView_ = new QWidget(window_);
    activityStackView_->setObjectName(QStringLiteral("activityStack"));
    activityStackView_->setFixedWidth(stackWidth);
    activityStackLayout_ = new QVBoxLayout(activityStackView_);
    // The rows keep 2 points below them; 2 more give the last one the shadow's full depth.
    activityStackLayout_->setContentsMargins(0, 0, 0, 2);
    activityStackLayout_->setSpacing(0);
    content->addWidget(activityStackView_, 0, 0, Qt::AlignTop);

    headerViewController_ =
        std::make_unique<StackViewActivityHeaderViewController>(activityStackView_);
    headerViewController_->setShowDetailedView(Preferences::load().displayActivityDetailView);
    const std::weak_ptr<StackViewActivityWindowController> weakSelf = weak_from_this();
    headerViewController_->cancelCallback = [weakSelf] {
        if (const auto self = weakSelf.lock()) {
            if (const auto delegate = self->overallActivityUIDelegate_.lock()) {
                delegate->activitiesCancelled();
            }
        }
    };
    headerViewController_->showDetailViewCallback = [weakSelf](bool show) {
        if (const auto self = weakSelf.lock()) {
            self->showDetailViewChanged(show);
        }
        // Saved even when the window is gone: it is the user's choice for the next run.
        auto preferences = Preferences::load();
        preferences.displayActivityDetailView = show;
        preferences.save();
    };
    QWidget* header = headerViewController_->view();
    header->hide();
    activityStackLayout_->addWidget(header);
    MainQueue::async([weakSelf, header = QPointer<QWidget>(header)] {
        if (const auto self = weakSelf.lock(); self && header) {
            self->reveal(header);
        }
    });
}

void StackViewActivityWindowController::observeNotifications() {
    auto& center = NotificationCenter::defaultCenter();
    const std::weak_ptr<StackViewActivityWindowController> weakSelf = weak_from_this();
    processingBeganObserver_ = center.addObserver(
        processingTrackerProcessingBeganNotification, nullptr, [weakSelf](const Notification&) {
            const auto self = weakSelf.lock();
            if (self && self->headerViewController_) {
                self->headerViewController_->setProcessingState(
                    StackViewActivityHeaderViewController::InProgress{0, 0});
                self->headerViewController_->updateUI();
            }
        });
    statisticsChangedObserver_ =
        center.addObserver(processingTrackerStatisticsChangedNotification, nullptr,
                           [weakSelf](const Notification& notification) {
                               if (const auto self = weakSelf.lock()) {
                                   self->setHeaderState(notification, false);
                               }
                           });
    processingCompletedObserver_ =
        center.addObserver(processingTrackerProcessingCompletedNotification, nullptr,
                           [weakSelf](const Notification& notification) {
                               if (const auto self = weakSelf.lock()) {
                                   self->setHeaderState(notification, true);
                               }
                           });
    // From whoever posts them: the application is the only poster.
    const auto nonEssential = [weakSelf](bool show) {
        return [weakSelf, show](const Notification&) {
            if (const auto self = weakSelf.lock()) {
                self->showNonEssentialUI_ = show;
                self->updateItemsVisibility();
            }
        };
    };
    showNonEssentialUIObserver_ =
        center.addObserver(showNonEssentialUINotification, nullptr, nonEssential(true));
    hideNonEssentialUIObserver_ =
        center.addObserver(hideNonEssentialUINotification, nullptr, nonEssential(false));
}

void StackViewActivityWindowController::setHeaderState(const Notification& notification,
                                                       bool completed) {
    if (!headerViewController_) {
        return;
    }
    const auto found = notification.userInfo.find(currentStatisticsKey);
    const auto* stats = found == notification.userInfo.end()
                            ? nullptr
                            : std::any_cast<ProcessingStats>(&found->second);
    if (!stats) {
        return;
    }
    if (completed) {
        headerViewController_->setProcessingState(StackViewActivityHeaderViewController::Completed{
            stats->succeededCount, stats->failedCount, stats->cancelledCount,
            stats->totalOriginalFileSize, stats->totalProcessedFileSize});
    } else {
        const auto processed = stats->failedCount + stats->cancelledCount + stats->succeededCount;
        const auto total =
            stats->preNotifiedCount + stats->queuedCount + stats->inProgressCount + processed;
        headerViewController_->setProcessingState(
            StackViewActivityHeaderViewController::InProgress{processed, total});
    }
    headerViewController_->updateUI();
}

void StackViewActivityWindowController::makeWindowKeyAndOrderFront() {
    loadWindow();
    WindowPresentation::orderFront(window_);
}

void StackViewActivityWindowController::setActivityStackVisible(bool visible) {
    if (!window_) {
        return;
    }
    if (visible) {
        if (window_->isHidden()) {
            WindowPresentation::orderFront(window_);
        }
        OpacityFader::fade(window_, 1.0, fadeDuration);
        return;
    }
    // The stack fills the window, so the window fades in its place, which keeps the rows' own
    // fades from nesting inside another.
    OpacityFader::fadeWindow(window_, 0.0, fadeDuration);
}

void StackViewActivityWindowController::reveal(QWidget* view) {
    OpacityFader::fadeIn(view, fadeDuration);
}

void StackViewActivityWindowController::updateItemsVisibility() {
    const bool visible = displayActivityItemsPreference_ && showNonEssentialUI_;
    MainQueue::async([weakSelf = weak_from_this(), visible] {
        const auto self = weakSelf.lock();
        if (!self) {
            return;
        }
        for (const auto& [identifier, row] : self->activeControllers_) {
            QWidget* view = row->view();
            if (!view) {
                continue;
            }
            if (visible && view->isHidden()) {
                OpacityFader::fadeIn(view, fadeDuration);
            } else {
                OpacityFader::fade(view, visible ? 1.0 : 0.0, fadeDuration);
            }
        }
    });
}

void StackViewActivityWindowController::addActivityItem(const Uuid& identifier, const Url& url,
                                                        const std::string& status,
                                                        const std::string& outputType,
                                                        const std::string& resizeText,
                                                        const std::string& resolutionText,
                                                        bool isSlow) {
    loadWindow();
    auto row = std::make_shared<StackViewActivityItemViewController>(activityStackView_);
    row->setThumbnailCache(thumbnailCache_);
    // A row added again under the same identifier replaces the old one, whose view must not
    // linger in the stack.
    if (const auto old = this->row(identifier)) {
        activeControllers_.erase(identifier);
        delete old->view();
    }
    activityItemControllers_[identifier] = row;
    row->view()->hide();
    row->setFileURL(url);
    row->setActivityStatus(status);
    row->setOutputTypeText(outputType);
    row->setOutputResizeText(resizeText);
    row->setOutputResolutionText(resolutionText);
    row->setSlowActivity(isSlow);
    row->updateSlowActivityLayout();
    activityStackLayout_->addWidget(row->view());
    if (const auto delegate = itemActivityUIDelegate_.lock()) {
        delegate->activityItemAdded(identifier);
    }
}

std::shared_ptr<StackViewActivityItemViewController>
StackViewActivityWindowController::row(const Uuid& identifier) const {
    const auto found = activityItemControllers_.find(identifier);
    return found == activityItemControllers_.end() ? nullptr : found->second;
}

void StackViewActivityWindowController::activityItemStarted(const Uuid& identifier) {
    const auto found = row(identifier);
    if (!found) {
        return;
    }
    activeControllers_[identifier] = found;
    if (displayActivityItemsPreference_ && showNonEssentialUI_) {
        MainQueue::async([weakSelf = weak_from_this(), weakRow = std::weak_ptr(found)] {
            const auto self = weakSelf.lock();
            const auto row = weakRow.lock();
            if (self && row && row->view()) {
                self->reveal(row->view());
            }
        });
    }
}

void StackViewActivityWindowController::updateActivityItemStatus(const Uuid& identifier,
                                                                 const std::string& text) {
    if (const auto found = row(identifier)) {
        found->setActivityStatus(text);
    }
}

void StackViewActivityWindowController::updateActivityItemAdditionalStatus(
    const Uuid& identifier, const std::string& text) {
    if (const auto found = row(identifier)) {
        found->setActivityAdditionalStatusInformation(text);
    }
}

void StackViewActivityWindowController::updateActivityItemLozenges(
    const Uuid& identifier, const std::string& outputType, const std::string& resizeText,
    const std::string& resolutionText) {
    if (const auto found = row(identifier)) {
        found->setOutputTypeText(outputType);
        found->setOutputResizeText(resizeText);
        found->setOutputResolutionText(resolutionText);
    }
}

void StackViewActivityWindowController::activityItemFinished(const Uuid& identifier) {
    auto found = row(identifier);
    if (!found) {
        return;
    }
    MainQueue::asyncAfter(2s, [self = shared_from_this(), identifier, found = std::move(found)] {
        self->remove(identifier, found);
    });
}

void StackViewActivityWindowController::remove(
    const Uuid& identifier, const std::shared_ptr<StackViewActivityItemViewController>& row) {
    // A second "finished" schedules a second removal, and a replaced row's removal finds a
    // newer row under its identifier: only the row itself goes, and only its own removal is
    // reported.
    const bool current = this->row(identifier) == row;
    if (current) {
        activeControllers_.erase(identifier);
        activityItemControllers_.erase(identifier);
    }
    collapse(row);
    if (current) {
        if (const auto delegate = itemActivityUIDelegate_.lock()) {
            delegate->activityItemRemoved(identifier);
        }
    }
}

void StackViewActivityWindowController::collapse(
    const std::shared_ptr<StackViewActivityItemViewController>& row) {
    QWidget* view = row->view();
    if (!view) {
        return;
    }
    // The row leaves at once and an empty gap of its height closes, so the rows below it and the
    // window's bottom edge move to their new places instead of jumping there. Only the gap is laid
    // out again on each frame, not the row's texts and pictures.
    const int index = activityStackLayout_->indexOf(view);
    if (index < 0) {
        return;
    }
    auto* gap = new QWidget(activityStackView_);
    gap->setObjectName(QStringLiteral("collapsingRowGap"));
    gap->setMinimumHeight(view->height());
    activityStackLayout_->insertWidget(index, gap);
    activityStackLayout_->removeWidget(view);
    view->hide();
    auto* animation = new QPropertyAnimation(gap, "minimumHeight", gap);
    animation->setDuration(
        int(std::chrono::duration_cast<std::chrono::milliseconds>(fadeDuration).count()));
    animation->setStartValue(gap->minimumHeight());
    animation->setEndValue(0);
    animation->start(QAbstractAnimation::DeleteWhenStopped);
    MainQueue::asyncAfter(fadeDuration, [gap = QPointer<QWidget>(gap)] { delete gap.data(); });
}

void StackViewActivityWindowController::showDetailViewChanged(bool show) {
    displayActivityItemsPreference_ = show;
    updateItemsVisibility();
}

} // namespace orlix
