#pragma once

#include "TaskProcessing/ProcessingStats.h"
#include "UI/Common/DeactivatableUI.h"
#include "UI/Common/MessageViewController.h"

#include <QPointer>

#include <optional>

class QPushButton;
class QTextEdit;
class QWidget;

namespace orlix {

// The message after a run in which tasks failed: a read-only, scrolling text that lists every
// failed task with what was asked of it and why it failed, and a button that closes it. The text
// grows with its contents up to a limit and scrolls beyond. Main thread only.
class ProcessingResultsMessageViewController final : public MessageViewController,
                                                     public DeactivatableUI {
public:
    // The text's inset from the view's edges, and the tallest the text area grows.
    static constexpr double textInset = 8.0;
    static constexpr double maximumTextHeight = 195.0;

    ProcessingResultsMessageViewController();
    ~ProcessingResultsMessageViewController() override;
    ProcessingResultsMessageViewController(const ProcessingResultsMessageViewController&) = delete;
    ProcessingResultsMessageViewController&
    operator=(const ProcessingResultsMessageViewController&) = delete;

    QWidget* view() const override { return view_; }
    bool activated() const override { return activated_; }
    // Renders again in the colours of the state.
    void setActivated(bool activated) override;

    const std::optional<ProcessingStats>& processingStats() const { return processingStats_; }
    // Renders the run's failures.
    void setProcessingStats(std::optional<ProcessingStats> stats);

    // The height the text area takes for a text of `usedHeight`: a little more than the text,
    // up to the limit.
    static double fittedHeight(double usedHeight);
    // The height the laid-out text uses, without the insets.
    double usedTextHeight() const;

    QTextEdit* processingResultsTextView() const { return processingResultsTextView_; }
    QPushButton* closeButton() const { return closeButton_; }

private:
    void loadView();
    void update();
    void doClose();

    QPointer<QWidget> view_;
    QTextEdit* processingResultsTextView_ = nullptr;
    QPushButton* closeButton_ = nullptr;
    bool activated_ = true;
    std::optional<ProcessingStats> processingStats_;
};

} // namespace orlix
