#include "UI/ActivityWindow/StackViewActivityHeaderViewController.h"

#include "Platform/Localization.h"
#include "TaskProcessing/ActivityUIController.h"
#include "UI/ActivityWindow/HorizontalColoredSectionView.h"
#include "UI/ActivityWindow/StackViewActivityClippedBackgroundView.h"
#include "UI/Common/ApplicationActivationObserver.h"
#include "UI/Common/Palette.h"
#include "UI/Common/ViewHelpers.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>

namespace orlix {

namespace {

QString text(const std::string& value) {
    return QString::fromStdString(value);
}

const std::string& imagesProcessedString() {
    static const std::string value = localized(
        "Images processed", "String in the activity header UI when an export is in progress");
    return value;
}

// Only the numbers are bold; the words come from us, but are escaped all the same.
QString summaryMarkup(const AttributedString<bool>& summary) {
    QString markup;
    for (const auto& run : summary.runs) {
        const QString escaped = text(run.text).toHtmlEscaped();
        markup += run.font ? QStringLiteral("<b>%1</b>").arg(escaped) : escaped;
    }
    return markup;
}

int progressValue(std::uint64_t count) {
    return int(std::min<std::uint64_t>(count, std::numeric_limits<int>::max()));
}

} // namespace

StackViewActivityHeaderViewController::StackViewActivityHeaderViewController(QWidget* parent)
    : uiProgressStatusString_(imagesProcessedString()) {
    loadView(parent);
    viewDidLoad();
}

StackViewActivityHeaderViewController::~StackViewActivityHeaderViewController() {
    delete view_.data();
}

void StackViewActivityHeaderViewController::loadView(QWidget* parent) {
    view_ = new QWidget(parent);
    view_->setObjectName(QStringLiteral("activityHeader"));
    auto* outer = new QVBoxLayout(view_);
    outer->setContentsMargins(4, 4, 4, 2);
    containerView_ = new QWidget(view_);
    outer->addWidget(containerView_);

    backgroundView_ = new StackViewActivityClippedBackgroundView(containerView_);
    pinToSuperview(backgroundView_, 0, 0, 0, 0);
    auto* content = new QWidget(containerView_);
    pinToSuperview(content, 0, 0, 0, 0);

    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    coloredSectionView_ = new HorizontalColoredSectionView(content);
    coloredSectionView_->setFixedHeight(4);
    column->addWidget(coloredSectionView_);

    auto* row = new QHBoxLayout;
    row->setContentsMargins(14, 8, 10, 10);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    progressStatusLabel_ = new QLabel(content);
    progressStatusLabel_->setTextFormat(Qt::PlainText);
    QFont bold = progressStatusLabel_->font();
    bold.setPixelSize(13);
    bold.setBold(true);
    progressStatusLabel_->setFont(bold);
    texts->addWidget(progressStatusLabel_);

    processingProgressText_ = new QLabel(content);
    processingProgressText_->setTextFormat(Qt::PlainText);
    QFont small = processingProgressText_->font();
    small.setPixelSize(11);
    processingProgressText_->setFont(small);
    texts->addWidget(processingProgressText_);

    completedAdditionalInfoTextField_ = new QLabel(content);
    completedAdditionalInfoTextField_->setTextFormat(Qt::RichText);
    QFont summaryFont = completedAdditionalInfoTextField_->font();
    summaryFont.setPixelSize(13);
    completedAdditionalInfoTextField_->setFont(summaryFont);
    texts->addWidget(completedAdditionalInfoTextField_);
    row->addLayout(texts, 1);

    processingProgressIndicator_ = new QProgressBar(content);
    processingProgressIndicator_->setTextVisible(false);
    processingProgressIndicator_->setFixedWidth(120);
    row->addWidget(processingProgressIndicator_);

    cancelButton_ = new QPushButton(
        text(localized("Cancel", "Activity header - button that cancels all processing")), content);
    QObject::connect(cancelButton_, &QPushButton::clicked, cancelButton_, [this] {
        if (cancelCallback) {
            cancelCallback();
        }
    });
    row->addWidget(cancelButton_);

    detailToggle_ = new QToolButton(content);
    detailToggle_->setCheckable(true);
    detailToggle_->setAutoRaise(true);
    detailToggle_->setToolTip(
        text(localized("Show details", "Activity header - toggle that shows one row per file")));
    QObject::connect(detailToggle_, &QToolButton::clicked, detailToggle_, [this](bool checked) {
        updateDetailToggleArrow();
        if (showDetailViewCallback) {
            showDetailViewCallback(checked);
        }
    });
    row->addWidget(detailToggle_);
    column->addLayout(row);
}

void StackViewActivityHeaderViewController::viewDidLoad() {
    applicationActivationObserver_ = std::make_unique<ApplicationActivationObserver>();
    applicationActivationObserver_->applicationDidBecomeActiveCallback = [this] {
        activationChanged(true);
    };
    applicationActivationObserver_->applicationDidResignActiveCallback = [this] {
        activationChanged(false);
    };
    setTotalProcessingCount(0);
    setCurrentProcessingCount(0);
    backgroundView_->setActivityContainerView(containerView_);
    coloredSectionView_->setActivityContainerView(containerView_);
    coloredSectionView_->setColors({Palette::quickOptimize(), Palette::resizeAndOptimize(),
                                    Palette::usePreviousSettings(), Palette::brown(),
                                    Palette::yellow(), Palette::red(), Palette::orange(),
                                    Palette::purple()});
    setShowDetailedView(true);
    processingState_ = None{};
    updateUI();
}

void StackViewActivityHeaderViewController::setShowDetailedView(bool show) {
    detailToggle_->setChecked(show);
    updateDetailToggleArrow();
}

bool StackViewActivityHeaderViewController::showDetailedView() const {
    return detailToggle_->isChecked();
}

void StackViewActivityHeaderViewController::updateDetailToggleArrow() {
    detailToggle_->setArrowType(detailToggle_->isChecked() ? Qt::DownArrow : Qt::RightArrow);
}

void StackViewActivityHeaderViewController::setProgressStatusString(const std::string& value) {
    uiProgressStatusString_ = value;
    progressStatusLabel_->setText(text(value));
}

void StackViewActivityHeaderViewController::setTotalProcessingCount(std::uint64_t count) {
    uiTotalProcessingCount_ = count;
    processingProgressIndicator_->setRange(0, std::max(progressValue(count), 1));
    processingProgressIndicator_->setValue(
        progressValue(std::min(uiCurrentProcessingCount_, count)));
    uiProgressString_ = makeProgressString();
    processingProgressText_->setText(text(uiProgressString_));
}

void StackViewActivityHeaderViewController::setCurrentProcessingCount(std::uint64_t count) {
    uiCurrentProcessingCount_ = count;
    processingProgressIndicator_->setValue(
        progressValue(std::min(count, std::uint64_t(processingProgressIndicator_->maximum()))));
    uiProgressString_ = makeProgressString();
    processingProgressText_->setText(text(uiProgressString_));
}

std::string StackViewActivityHeaderViewController::makeProgressString() const {
    if (uiCurrentProcessingCount_ == uiTotalProcessingCount_) {
        return localized("Done",
                         "Header - small progress text when an export is completed. Never seen.");
    }
    // Two arguments, which the one-argument formatter of the core cannot fill: a translation may
    // number them ("%2$d") to change their order, otherwise they are taken in turn.
    std::string filled =
        localized("%d of %d...", "Header - small progress text when an export is in progress");
    const std::string arguments[] = {std::to_string(uiCurrentProcessingCount_),
                                     std::to_string(uiTotalProcessingCount_)};
    for (int index = 0; index < 2; ++index) {
        const std::string numbered = "%" + std::to_string(index + 1) + "$d";
        if (const auto at = filled.find(numbered); at != std::string::npos) {
            filled.replace(at, numbered.size(), arguments[index]);
        } else if (const auto next = filled.find("%d"); next != std::string::npos) {
            filled.replace(next, 2, arguments[index]);
        }
    }
    return filled;
}

void StackViewActivityHeaderViewController::updateUI() {
    if (const auto* completed = std::get_if<Completed>(&processingState_)) {
        setProgressStatusString(ActivityUIController::completionString(
            completed->succeededCount, completed->totalOriginalFileSize,
            completed->totalProcessedFileSize));
        completedAdditionalInfoTextField_->setText(summaryMarkup(
            ActivityUIController::completionSummary<bool>(completed->succeededCount,
                                                          completed->failedCount,
                                                          completed->cancelledCount, false, true)));
        completedAdditionalInfoTextField_->show();
        processingProgressText_->hide();
        processingProgressIndicator_->hide();
        cancelButton_->hide();
    } else if (const auto* inProgress = std::get_if<InProgress>(&processingState_)) {
        setProgressStatusString(imagesProcessedString());
        setCurrentProcessingCount(inProgress->processedCount);
        setTotalProcessingCount(inProgress->totalCount);
        completedAdditionalInfoTextField_->hide();
        processingProgressText_->show();
        processingProgressIndicator_->show();
        cancelButton_->show();
    } else {
        setProgressStatusString(imagesProcessedString());
        completedAdditionalInfoTextField_->hide();
        processingProgressText_->hide();
        processingProgressIndicator_->hide();
        cancelButton_->hide();
    }
}

void StackViewActivityHeaderViewController::activationChanged(bool active) {
    activated_ = active;
    recolorTextFields(view_, active);
}

} // namespace orlix
