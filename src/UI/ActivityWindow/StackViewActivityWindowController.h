#pragma once

#include "TaskProcessing/ActivityWindow.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

#include <map>
#include <memory>

namespace orlix {

// The activity window: one row per output with its file name, status and lozenge texts, under a
// header with a cancel button. Main thread only.
class StackViewActivityWindowController final
    : public ActivityWindow,
      public std::enable_shared_from_this<StackViewActivityWindowController> {
public:
    StackViewActivityWindowController();
    ~StackViewActivityWindowController() override;

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

    QWidget* window() const { return window_; }

private:
    struct Row {
        QWidget* view = nullptr;
        QLabel* status = nullptr;
        QLabel* additional = nullptr;
        QLabel* lozenges = nullptr;
    };

    const Row* row(const Uuid& identifier) const;
    void removeRow(const Uuid& identifier);

    QPointer<QWidget> window_;
    QWidget* stack_ = nullptr;
    QVBoxLayout* rows_ = nullptr;
    std::map<Uuid, Row> items_;
    std::shared_ptr<ThumbnailCache> thumbnailCache_;
    std::weak_ptr<OverallActivityUIDelegate> overallDelegate_;
    std::weak_ptr<ItemActivityUIDelegate> itemDelegate_;
};

} // namespace orlix
