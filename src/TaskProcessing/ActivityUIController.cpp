#include "TaskProcessing/ActivityUIController.h"

#include "Platform/Localization.h"
#include "Platform/MainQueue.h"
#include "TaskProcessing/ImageProcessingNotifications.h"
#include "TaskProcessing/LocalizedFormat.h"

#include <algorithm>

namespace orlix {

namespace {

// Wide enough that processed × 100 cannot overflow whatever the totals.
__extension__ typedef unsigned __int128 WideUnsigned;

} // namespace

std::shared_ptr<ActivityUIController>
ActivityUIController::create(std::shared_ptr<ThumbnailCache> thumbnailCache,
                             ActivityWindowFactory makeWindow) {
    std::shared_ptr<ActivityUIController> controller(
        new ActivityUIController(std::move(thumbnailCache), std::move(makeWindow)));
    controller->didCreate();
    return controller;
}

ActivityUIController::ActivityUIController(std::shared_ptr<ThumbnailCache> thumbnailCache,
                                           ActivityWindowFactory makeWindow)
    : thumbnailCache_(std::move(thumbnailCache))
    , makeWindow_(std::move(makeWindow)) {}

void ActivityUIController::didCreate() {
    stackViewActivityWindowController();
    auto& center = NotificationCenter::defaultCenter();
    const std::weak_ptr<ActivityUIController> weakSelf = weak_from_this();
    if (!showActivityUIObserver_) {
        showActivityUIObserver_ = center.addObserver(imageProcessingShowActivityUINotification,
                                                     nullptr, [weakSelf](const auto&) {
                                                         if (const auto self = weakSelf.lock()) {
                                                             self->showActivityWindow(true);
                                                         }
                                                     });
    }
    if (!hideActivityUIObserver_) {
        hideActivityUIObserver_ = center.addObserver(imageProcessingHideActivityUINotification,
                                                     nullptr, [weakSelf](const auto&) {
                                                         if (const auto self = weakSelf.lock()) {
                                                             self->showActivityWindow(false);
                                                         }
                                                     });
    }
}

ActivityUIController::~ActivityUIController() {
    showActivityUIObserver_.reset();
    hideActivityUIObserver_.reset();
    for (auto& observed : processingImages_) {
        observed.stopObserving();
    }
}

std::vector<std::shared_ptr<ProcessingImage>> ActivityUIController::processingImages() const {
    std::vector<std::shared_ptr<ProcessingImage>> images;
    images.reserve(processingImages_.size());
    for (const auto& observed : processingImages_) {
        images.push_back(observed.image);
    }
    return images;
}

std::shared_ptr<ActivityWindow> ActivityUIController::stackViewActivityWindowController() {
    if (!stackViewActivityWindowController_ && makeWindow_) {
        auto window = makeWindow_();
        if (window) {
            window->setThumbnailCache(thumbnailCache_);
            window->setOverallActivityUIDelegate(
                std::weak_ptr<OverallActivityUIDelegate>(weak_from_this()));
            window->setItemActivityUIDelegate(
                std::weak_ptr<ItemActivityUIDelegate>(weak_from_this()));
            window->loadWindow();
            stackViewActivityWindowController_ = std::move(window);
        }
    }
    return stackViewActivityWindowController_;
}

void ActivityUIController::showActivityWindow(bool show) {
    if (show) {
        if (const auto window = stackViewActivityWindowController()) {
            window->makeWindowKeyAndOrderFront();
        }
    }
    // Deferred so that the fade starts after the window has come up.
    MainQueue::async([weakSelf = weak_from_this(), show] {
        if (const auto self = weakSelf.lock()) {
            if (const auto window = self->stackViewActivityWindowController()) {
                window->setActivityStackVisible(show);
            }
        }
    });
}

void ActivityUIController::addProcessingImage(std::shared_ptr<ProcessingImage> image) {
    if (!image) {
        return;
    }
    if (const auto window = stackViewActivityWindowController()) {
        window->addActivityItem(image->identifier(), image->inURL(), image->uiStatus().get(),
                                image->outputType(), image->resizeTypeString(),
                                image->resolutionString(), image->isSlow());
    }
    processingImages_.push_back(observe(image));
}

ActivityUIController::ObservedImage
ActivityUIController::observe(const std::shared_ptr<ProcessingImage>& image) {
    // The row notifies inside its own change, so it is alive whenever these run; holding it
    // weakly keeps the row and its observers from owning each other.
    const std::weak_ptr<ProcessingImage> weakImage = image;
    const auto forward = [this, weakImage](auto call) {
        return [this, weakImage, call](const auto& value) {
            const auto row = weakImage.lock();
            if (!row) {
                return;
            }
            if (const auto window = stackViewActivityWindowController()) {
                call(*window, *row, value);
            }
        };
    };

    ObservedImage observed{image, {}, {}, {}, {}, {}, {}};
    observed.inProgress = image->inProgress().observe(
        forward([](ActivityWindow& window, ProcessingImage& row, bool started) {
            if (started) {
                window.activityItemStarted(row.identifier());
            }
        }));
    observed.completed = image->completed().observe(
        forward([](ActivityWindow& window, ProcessingImage& row, bool finished) {
            if (finished) {
                window.activityItemFinished(row.identifier());
            }
        }));
    observed.uiStatus = image->uiStatus().observe(
        forward([](ActivityWindow& window, ProcessingImage& row, const std::string& text) {
            window.updateActivityItemStatus(row.identifier(), text);
        }));
    observed.uiAdditionalStatusInformation = image->uiAdditionalStatusInformation().observe(
        forward([](ActivityWindow& window, ProcessingImage& row, const std::string& text) {
            window.updateActivityItemAdditionalStatus(row.identifier(), text);
        }));
    observed.uiResizeTypeString = image->uiResizeTypeString().observe(
        forward([](ActivityWindow& window, ProcessingImage& row, const std::string& text) {
            window.updateActivityItemLozenges(row.identifier(), row.outputType(), text,
                                              row.resolutionString());
        }));
    observed.uiResolutionString = image->uiResolutionString().observe(
        forward([](ActivityWindow& window, ProcessingImage& row, const std::string& text) {
            window.updateActivityItemLozenges(row.identifier(), row.outputType(),
                                              row.resizeTypeString(), text);
        }));
    return observed;
}

void ActivityUIController::ObservedImage::stopObserving() {
    inProgress.reset();
    completed.reset();
    uiStatus.reset();
    uiAdditionalStatusInformation.reset();
    uiResizeTypeString.reset();
    uiResolutionString.reset();
}

void ActivityUIController::removeProcessingImage(const Uuid& identifier) {
    const auto byIdentifier = [&identifier](const ObservedImage& observed) {
        return observed.image->identifier() == identifier;
    };
    auto found = std::find_if(processingImages_.begin(), processingImages_.end(), byIdentifier);
    if (found == processingImages_.end()) {
        return;
    }
    found->stopObserving();
    // Looked up again: the list may have changed while the observations ended.
    found = std::find_if(processingImages_.begin(), processingImages_.end(), byIdentifier);
    if (found != processingImages_.end()) {
        processingImages_.erase(found);
    }
}

void ActivityUIController::activityItemAdded(const Uuid&) {}

void ActivityUIController::activityItemRemoved(const Uuid& identifier) {
    removeProcessingImage(identifier);
}

void ActivityUIController::activitiesCancelled() {
    if (activitiesCancelledCallback_) {
        activitiesCancelledCallback_();
    }
}

std::string ActivityUIController::completionString(std::uint64_t succeededCount,
                                                   std::uint64_t totalOriginalFileSize,
                                                   std::uint64_t totalProcessedFileSize) {
    if (totalProcessedFileSize < totalOriginalFileSize && succeededCount != 0 &&
        totalOriginalFileSize != 0 && totalProcessedFileSize != 0) {
        // The processed share is rounded down, so the reduction is rounded up: 1000 bytes
        // reduced to 333 reads 67%.
        const auto processedShare =
            WideUnsigned{totalProcessedFileSize} * 100 / WideUnsigned{totalOriginalFileSize};
        const auto reduction = 100 - static_cast<int>(processedShare);
        return localizedFormat(
            localized("Processing complete: %d%% reduction",
                      "Format string for the overall job progress completion string displayed in "
                      "the UI and notifications when the overall file size was reduced"),
            std::to_string(reduction));
    }
    return localized("Processing complete",
                     "String for the overall job progress completion string displayed in the UI "
                     "and notifications when the overall file size was not reduced");
}

} // namespace orlix
