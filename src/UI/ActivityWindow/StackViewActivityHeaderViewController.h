#pragma once

#include <QPointer>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <variant>

class QLabel;
class QProgressBar;
class QPushButton;
class QToolButton;
class QWidget;

namespace orlix {

class ApplicationActivationObserver;
class HorizontalColoredSectionView;
class StackViewActivityClippedBackgroundView;

// The top of the activity window: the run's progress with a cancel button while it runs, its
// overall result once it is complete, the toggle of the per-file rows and a coloured stripe.
// Main thread only.
class StackViewActivityHeaderViewController {
public:
    struct None {};
    struct InProgress {
        std::uint64_t processedCount = 0;
        std::uint64_t totalCount = 0;
    };
    struct Completed {
        std::uint64_t succeededCount = 0;
        std::uint64_t failedCount = 0;
        std::uint64_t cancelledCount = 0;
        std::uint64_t totalOriginalFileSize = 0;
        std::uint64_t totalProcessedFileSize = 0;
    };
    using ProcessingState = std::variant<None, InProgress, Completed>;

    explicit StackViewActivityHeaderViewController(QWidget* parent = nullptr);
    ~StackViewActivityHeaderViewController();
    StackViewActivityHeaderViewController(const StackViewActivityHeaderViewController&) = delete;
    StackViewActivityHeaderViewController&
    operator=(const StackViewActivityHeaderViewController&) = delete;

    QWidget* view() const { return view_; }

    const ProcessingState& processingState() const { return processingState_; }
    // Followed by updateUI() to take effect.
    void setProcessingState(ProcessingState state) { processingState_ = state; }
    void updateUI();

    // Without telling the callback: this is the saved choice coming in, not the user's.
    void setShowDetailedView(bool show);
    bool showDetailedView() const;

    std::function<void()> cancelCallback;
    std::function<void(bool)> showDetailViewCallback;

    const std::string& progressStatusString() const { return uiProgressStatusString_; }
    const std::string& progressString() const { return uiProgressString_; }
    bool isActivated() const { return activated_; }

    QLabel* progressStatusLabel() const { return progressStatusLabel_; }
    QLabel* processingProgressText() const { return processingProgressText_; }
    QProgressBar* processingProgressIndicator() const { return processingProgressIndicator_; }
    QPushButton* cancelButton() const { return cancelButton_; }
    QToolButton* detailToggle() const { return detailToggle_; }
    QLabel* completedAdditionalInfoTextField() const { return completedAdditionalInfoTextField_; }
    HorizontalColoredSectionView* coloredSectionView() const { return coloredSectionView_; }

private:
    void loadView(QWidget* parent);
    void viewDidLoad();
    void setProgressStatusString(const std::string& text);
    void setTotalProcessingCount(std::uint64_t count);
    void setCurrentProcessingCount(std::uint64_t count);
    std::string makeProgressString() const;
    void activationChanged(bool active);
    void updateDetailToggleArrow();

    QPointer<QWidget> view_;
    QWidget* containerView_ = nullptr;
    StackViewActivityClippedBackgroundView* backgroundView_ = nullptr;
    HorizontalColoredSectionView* coloredSectionView_ = nullptr;
    QLabel* progressStatusLabel_ = nullptr;
    QLabel* processingProgressText_ = nullptr;
    QProgressBar* processingProgressIndicator_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QToolButton* detailToggle_ = nullptr;
    QLabel* completedAdditionalInfoTextField_ = nullptr;

    std::string uiProgressStatusString_;
    std::string uiProgressString_;
    std::uint64_t uiTotalProcessingCount_ = 0;
    std::uint64_t uiCurrentProcessingCount_ = 0;
    bool activated_ = true;
    std::unique_ptr<ApplicationActivationObserver> applicationActivationObserver_;
    ProcessingState processingState_;
};

} // namespace orlix
