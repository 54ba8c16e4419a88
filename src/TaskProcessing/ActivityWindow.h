#pragma once

#include "Platform/Url.h"
#include "Platform/Uuid.h"
#include "TaskProcessing/ItemActivityUIDelegate.h"
#include "TaskProcessing/OverallActivityUIDelegate.h"
#include "TaskProcessing/ThumbnailCache.h"

#include <functional>
#include <memory>
#include <string>

namespace orlix {

// The activity window's controller as the core drives it: one row per output, stacked, under a
// header with the overall progress. Main thread only. The row operations take the row's
// identifier first and do nothing for an identifier without a row.
class ActivityWindow {
public:
    virtual ~ActivityWindow() = default;

    virtual void setThumbnailCache(std::shared_ptr<ThumbnailCache> thumbnailCache) = 0;
    // Both held weakly.
    virtual void
    setOverallActivityUIDelegate(std::weak_ptr<OverallActivityUIDelegate> delegate) = 0;
    virtual void setItemActivityUIDelegate(std::weak_ptr<ItemActivityUIDelegate> delegate) = 0;

    // Builds the window now rather than when it is first shown.
    virtual void loadWindow() = 0;
    virtual void makeWindowKeyAndOrderFront() = 0;

    // Fades the list of rows in or out; the window itself stays where it is.
    virtual void setActivityStackVisible(bool visible) = 0;

    // Adds a hidden row, then tells the item delegate.
    virtual void addActivityItem(const Uuid& identifier, const Url& url, const std::string& status,
                                 const std::string& outputType, const std::string& resizeText,
                                 const std::string& resolutionText, bool isSlow) = 0;
    virtual void activityItemStarted(const Uuid& identifier) = 0;
    virtual void updateActivityItemStatus(const Uuid& identifier, const std::string& text) = 0;
    virtual void updateActivityItemAdditionalStatus(const Uuid& identifier,
                                                    const std::string& text) = 0;
    virtual void updateActivityItemLozenges(const Uuid& identifier, const std::string& outputType,
                                            const std::string& resizeText,
                                            const std::string& resolutionText) = 0;
    // Removes the row 2 seconds later, then tells the item delegate.
    virtual void activityItemFinished(const Uuid& identifier) = 0;
};

// Makes the activity window's controller; called on the main thread.
using ActivityWindowFactory = std::function<std::shared_ptr<ActivityWindow>()>;

} // namespace orlix
