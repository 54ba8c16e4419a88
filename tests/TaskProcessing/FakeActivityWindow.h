#pragma once

#include "TaskProcessing/ActivityWindow.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace orlix::testing {

// Records every call as a line of text, with identifiers shortened to the row's name.
class FakeActivityWindow : public ActivityWindow {
public:
    std::vector<std::string> calls;
    std::shared_ptr<ThumbnailCache> thumbnailCache;
    std::weak_ptr<OverallActivityUIDelegate> overallDelegate;
    std::weak_ptr<ItemActivityUIDelegate> itemDelegate;
    std::map<Uuid, std::string> names;

    void setThumbnailCache(std::shared_ptr<ThumbnailCache> cache) override {
        thumbnailCache = std::move(cache);
        calls.push_back("thumbnailCache");
    }
    void setOverallActivityUIDelegate(std::weak_ptr<OverallActivityUIDelegate> delegate) override {
        overallDelegate = std::move(delegate);
        calls.push_back("overallDelegate");
    }
    void setItemActivityUIDelegate(std::weak_ptr<ItemActivityUIDelegate> delegate) override {
        itemDelegate = std::move(delegate);
        calls.push_back("itemDelegate");
    }
    void loadWindow() override { calls.push_back("loadWindow"); }
    void makeWindowKeyAndOrderFront() override { calls.push_back("keyAndFront"); }
    void setActivityStackVisible(bool visible) override {
        calls.push_back(std::string("stackVisible ") + (visible ? "true" : "false"));
    }
    void addActivityItem(const Uuid& identifier, const Url& url, const std::string& status,
                         const std::string& outputType, const std::string& resizeText,
                         const std::string& resolutionText, bool isSlow) override {
        names[identifier] = url.lastPathComponent();
        calls.push_back("add " + names[identifier] + " [" + status + "] " + outputType + " " +
                        resizeText + " " + resolutionText + (isSlow ? " slow" : ""));
        if (const auto delegate = itemDelegate.lock()) {
            delegate->activityItemAdded(identifier);
        }
    }
    void activityItemStarted(const Uuid& identifier) override {
        calls.push_back("started " + names[identifier]);
    }
    void updateActivityItemStatus(const Uuid& identifier, const std::string& text) override {
        calls.push_back("status " + names[identifier] + " [" + text + "]");
    }
    void updateActivityItemAdditionalStatus(const Uuid& identifier,
                                            const std::string& text) override {
        calls.push_back("additional " + names[identifier] + " [" + text + "]");
    }
    void updateActivityItemLozenges(const Uuid& identifier, const std::string& outputType,
                                    const std::string& resizeText,
                                    const std::string& resolutionText) override {
        calls.push_back("lozenges " + names[identifier] + " " + outputType + " " + resizeText +
                        " " + resolutionText);
    }
    void activityItemFinished(const Uuid& identifier) override {
        calls.push_back("finished " + names[identifier]);
    }

    // What the window does 2 seconds after a row finished.
    void removeRow(const Uuid& identifier) {
        if (const auto delegate = itemDelegate.lock()) {
            delegate->activityItemRemoved(identifier);
        }
    }
};

} // namespace orlix::testing
