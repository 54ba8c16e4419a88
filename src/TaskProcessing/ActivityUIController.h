#pragma once

#include "Platform/NotificationCenter.h"
#include "Platform/ObservableProperty.h"
#include "Platform/Uuid.h"
#include "TaskProcessing/ActivityWindow.h"
#include "TaskProcessing/AttributedString.h"
#include "TaskProcessing/ItemActivityUIDelegate.h"
#include "TaskProcessing/OverallActivityUIDelegate.h"
#include "TaskProcessing/ProcessingImage.h"
#include "TaskProcessing/ThumbnailCache.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace orlix {

// Connects task processing to the activity window: shows and hides its list of rows on request,
// keeps and observes the row model of every row on screen and forwards each change to the
// window, and relays the window's cancel button. One per process, main thread only.
class ActivityUIController : public ItemActivityUIDelegate,
                             public OverallActivityUIDelegate,
                             public std::enable_shared_from_this<ActivityUIController> {
public:
    // Makes the window at once, so that its interface is loaded at start-up, and starts observing
    // the show and hide requests of the image-processing controller.
    static std::shared_ptr<ActivityUIController>
    create(std::shared_ptr<ThumbnailCache> thumbnailCache, ActivityWindowFactory makeWindow);
    ~ActivityUIController() override;
    ActivityUIController(const ActivityUIController&) = delete;
    ActivityUIController& operator=(const ActivityUIController&) = delete;

    const std::shared_ptr<ThumbnailCache>& thumbnailCache() const { return thumbnailCache_; }
    const std::function<void()>& activitiesCancelledCallback() const {
        return activitiesCancelledCallback_;
    }
    void setActivitiesCancelledCallback(std::function<void()> callback) {
        activitiesCancelledCallback_ = std::move(callback);
    }
    // In order of addition; a row stays a little over 2 seconds after it finished.
    std::vector<std::shared_ptr<ProcessingImage>> processingImages() const;

    // Hiding only fades the list of rows out; the window stays on screen.
    virtual void showActivityWindow(bool show);
    // Observed from now on until the window has removed its row.
    virtual void addProcessingImage(std::shared_ptr<ProcessingImage> image);
    void removeProcessingImage(const Uuid& identifier);

    void activityItemAdded(const Uuid& identifier) override;
    void activityItemRemoved(const Uuid& identifier) override;
    void activitiesCancelled() override;

    // The last line of a run, in the window's header and the user notification.
    static std::string completionString(std::uint64_t succeededCount,
                                        std::uint64_t totalOriginalFileSize,
                                        std::uint64_t totalProcessedFileSize);
    // "3 succeeded. 0 failed. 1 canceled.", the numbers in the bold font. Not localized.
    template <typename Font>
    static AttributedString<Font>
    completionSummary(std::uint64_t succeededCount, std::uint64_t failedCount,
                      std::uint64_t cancelledCount, const Font& font, const Font& boldFont) {
        AttributedString<Font> summary;
        summary.append(std::to_string(succeededCount), boldFont);
        summary.append(" succeeded. ", font);
        summary.append(std::to_string(failedCount), boldFont);
        summary.append(" failed. ", font);
        summary.append(std::to_string(cancelledCount), boldFont);
        summary.append(" canceled.", font);
        return summary;
    }

protected:
    ActivityUIController(std::shared_ptr<ThumbnailCache> thumbnailCache,
                         ActivityWindowFactory makeWindow);
    // The part of creation that needs the controller to be owned already.
    void didCreate();

private:
    // A row model and the observations of its six published fields, in the order they began.
    struct ObservedImage {
        std::shared_ptr<ProcessingImage> image;
        ObservableProperty<bool>::Token inProgress;
        ObservableProperty<bool>::Token completed;
        ObservableProperty<std::string>::Token uiStatus;
        ObservableProperty<std::string>::Token uiAdditionalStatusInformation;
        ObservableProperty<std::string>::Token uiResizeTypeString;
        ObservableProperty<std::string>::Token uiResolutionString;

        void stopObserving();
    };

    // Made on first use; nullptr only while the factory cannot make one.
    std::shared_ptr<ActivityWindow> stackViewActivityWindowController();
    ObservedImage observe(const std::shared_ptr<ProcessingImage>& image);

    std::shared_ptr<ThumbnailCache> thumbnailCache_;
    ActivityWindowFactory makeWindow_;
    std::shared_ptr<ActivityWindow> stackViewActivityWindowController_;
    std::unique_ptr<NotificationCenter::ObserverToken> showActivityUIObserver_;
    std::unique_ptr<NotificationCenter::ObserverToken> hideActivityUIObserver_;
    std::function<void()> activitiesCancelledCallback_;
    std::vector<ObservedImage> processingImages_;
};

} // namespace orlix
