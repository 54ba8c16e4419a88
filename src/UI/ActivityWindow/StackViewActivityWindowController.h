#pragma once

#include "Platform/NotificationCenter.h"
#include "TaskProcessing/ActivityWindow.h"

#include <QPointer>

#include <map>
#include <memory>

class QVBoxLayout;
class QWidget;

namespace orlix {

class StackViewActivityHeaderViewController;
class StackViewActivityItemViewController;
class StackViewActivityWindow;

// The activity window: a header with the run's progress over one row per output. Driven by the
// activity controller of task processing; listens itself to the processing tracker for the
// header, to the application for when decoration should be faded, and to the header's cancel
// button and detail toggle. Main thread only; must be owned by a shared pointer before
// loadWindow(), whose observers hold it weakly.
class StackViewActivityWindowController final
    : public ActivityWindow,
      public std::enable_shared_from_this<StackViewActivityWindowController> {
public:
    // The width of the header and of every row.
    static constexpr int stackWidth = 440;

    StackViewActivityWindowController();
    ~StackViewActivityWindowController() override;
    StackViewActivityWindowController(const StackViewActivityWindowController&) = delete;
    StackViewActivityWindowController& operator=(const StackViewActivityWindowController&) = delete;

    void setThumbnailCache(std::shared_ptr<ThumbnailCache> thumbnailCache) override;
    void setOverallActivityUIDelegate(std::weak_ptr<OverallActivityUIDelegate> delegate) override;
    void setItemActivityUIDelegate(std::weak_ptr<ItemActivityUIDelegate> delegate) override;
    void loadWindow() override;
    void makeWindowKeyAndOrderFront() override;
    void setActivityStackVisible(bool visible) override;
    void addActivityItem(const Uuid& identifier, const Url& url, const std::string& status,
                         const std::string& outputType, const std::string& resizeText,
                         const std::string& resolutionText, bool isSlow) override;
    void activityItemStarted(const Uuid& identifier) override;
    void updateActivityItemStatus(const Uuid& identifier, const std::string& text) override;
    void updateActivityItemAdditionalStatus(const Uuid& identifier,
                                            const std::string& text) override;
    void updateActivityItemLozenges(const Uuid& identifier, const std::string& outputType,
                                    const std::string& resizeText,
                                    const std::string& resolutionText) override;
    void activityItemFinished(const Uuid& identifier) override;

    // Rows show when the user wants details and the application shows decoration.
    void updateItemsVisibility();

    QWidget* window() const;
    QWidget* activityStack() const { return activityStackView_; }
    StackViewActivityHeaderViewController* headerViewController() const {
        return headerViewController_.get();
    }
    // nullptr for an identifier without a row.
    std::shared_ptr<StackViewActivityItemViewController> row(const Uuid& identifier) const;
    bool isActive(const Uuid& identifier) const { return activeControllers_.count(identifier); }
    bool displayActivityItemsPreference() const { return displayActivityItemsPreference_; }
    bool showNonEssentialUI() const { return showNonEssentialUI_; }

private:
    using Rows = std::map<Uuid, std::shared_ptr<StackViewActivityItemViewController>>;

    void setUpWindow();
    void observeNotifications();
    void reveal(QWidget* view);
    void remove(const Uuid& identifier,
                const std::shared_ptr<StackViewActivityItemViewController>& row);
    // Takes a row's view out of the stack with a 0.3 s animation.
    void collapse(const std::shared_ptr<StackViewActivityItemViewController>& row);
    void setHeaderState(const Notification& notification, bool completed);
    void showDetailViewChanged(bool show);

    std::shared_ptr<ThumbnailCache> thumbnailCache_;
    Rows activityItemControllers_;
    Rows activeControllers_;
    QPointer<StackViewActivityWindow> window_;
    QWidget* activityStackView_ = nullptr;
    QVBoxLayout* activityStackLayout_ = nullptr;
    std::unique_ptr<StackViewActivityHeaderViewController> headerViewController_;
    std::unique_ptr<NotificationCenter::ObserverToken> processingBeganObserver_;
    std::unique_ptr<NotificationCenter::ObserverToken> processingCompletedObserver_;
    std::unique_ptr<NotificationCenter::ObserverToken> statisticsChangedObserver_;
    std::unique_ptr<NotificationCenter::ObserverToken> hideNonEssentialUIObserver_;
    std::unique_ptr<NotificationCenter::ObserverToken> showNonEssentialUIObserver_;
    std::weak_ptr<OverallActivityUIDelegate> overallActivityUIDelegate_;
    std::weak_ptr<ItemActivityUIDelegate> itemActivityUIDelegate_;
    bool displayActivityItemsPreference_ = true;
    bool showNonEssentialUI_ = true;
};

} // namespace orlix
