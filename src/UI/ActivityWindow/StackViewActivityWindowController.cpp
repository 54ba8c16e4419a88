#include "UI/ActivityWindow/StackViewActivityWindowController.h"

#include "Platform/Localization.h"
#include "Platform/MainQueue.h"

#include <QHBoxLayout>
#include <QScrollArea>

#include <chrono>

namespace orlix {

namespace {

QString text(const std::string& value) {
    return QString::fromStdString(value);
}

// File names are shown as they are, never as markup.
QLabel* plainLabel(const QString& value, QWidget* parent) {
    auto* label = new QLabel(value, parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QString lozengeText(const std::string& outputType, const std::string& resizeText,
                    const std::string& resolutionText) {
    QStringList parts{text(outputType)};
    for (const auto& part : {resizeText, resolutionText}) {
        if (!part.empty()) {
            parts << text(part);
        }
    }
    return parts.join(QStringLiteral("  ·  "));
}

} // namespace

StackViewActivityWindowController::StackViewActivityWindowController() = default;

StackViewActivityWindowController::~StackViewActivityWindowController() {
    delete window_.data();
}

void StackViewActivityWindowController::setThumbnailCache(
    std::shared_ptr<ThumbnailCache> thumbnailCache) {
    thumbnailCache_ = std::move(thumbnailCache);
}

void StackViewActivityWindowController::setOverallActivityUIDelegate(
    std::weak_ptr<OverallActivityUIDelegate> delegate) {
    overallDelegate_ = std::move(delegate);
}

void StackViewActivityWindowController::setItemActivityUIDelegate(
    std::weak_ptr<ItemActivityUIDelegate> delegate) {
    itemDelegate_ = std::move(delegate);
}

void StackViewActivityWindowController::loadWindow() {
    if (window_) {
        return;
    }
    window_ = new QWidget(nullptr, Qt::Window);
    window_->setWindowTitle(QStringLiteral("Orlix"));
    window_->resize(460, 360);
    auto* layout = new QVBoxLayout(window_);
    auto* header = new QHBoxLayout;
    header->addWidget(plainLabel(text(localized("Processing", "Activity window title")), window_));
    header->addStretch();
    auto* cancel =
        new QPushButton(text(localized("Cancel", "Button that cancels all work")), window_);
    QObject::connect(cancel, &QPushButton::clicked, [this] {
        if (const auto delegate = overallDelegate_.lock()) {
            delegate->activitiesCancelled();
        }
    });
    header->addWidget(cancel);
    layout->addLayout(header);
    auto* scroll = new QScrollArea(window_);
    scroll->setWidgetResizable(true);
    stack_ = new QWidget(scroll);
    rows_ = new QVBoxLayout(stack_);
    rows_->addStretch();
    scroll->setWidget(stack_);
    layout->addWidget(scroll);
}

void StackViewActivityWindowController::makeWindowKeyAndOrderFront() {
    loadWindow();
    window_->show();
    window_->raise();
    window_->activateWindow();
}

void StackViewActivityWindowController::setActivityStackVisible(bool visible) {
    if (stack_) {
        stack_->setVisible(visible);
    }
}

void StackViewActivityWindowController::addActivityItem(const Uuid& identifier, const Url& url,
                                                        const std::string& status,
                                                        const std::string& outputType,
                                                        const std::string& resizeText,
                                                        const std::string& resolutionText,
                                                        bool isSlow) {
    loadWindow();
    // A row added again under the same identifier replaces the old one.
    removeRow(identifier);
    Row row;
    row.view = new QWidget(stack_);
    auto* layout = new QVBoxLayout(row.view);
    layout->addWidget(plainLabel(text(url.lastPathComponent()), row.view));
    row.status = plainLabel(text(status), row.view);
    row.additional = plainLabel(QString(), row.view);
    row.lozenges = plainLabel(lozengeText(outputType, resizeText, resolutionText) +
                                  (isSlow ? QStringLiteral("  ·  slow") : QString()),
                              row.view);
    layout->addWidget(row.status);
    layout->addWidget(row.additional);
    layout->addWidget(row.lozenges);
    row.view->hide();
    rows_->insertWidget(rows_->count() - 1, row.view);
    items_[identifier] = row;
    if (const auto delegate = itemDelegate_.lock()) {
        delegate->activityItemAdded(identifier);
    }
}

const StackViewActivityWindowController::Row*
StackViewActivityWindowController::row(const Uuid& identifier) const {
    const auto found = items_.find(identifier);
    return found == items_.end() ? nullptr : &found->second;
}

void StackViewActivityWindowController::activityItemStarted(const Uuid& identifier) {
    if (const auto* found = row(identifier)) {
        found->view->show();
    }
}

void StackViewActivityWindowController::updateActivityItemStatus(const Uuid& identifier,
                                                                 const std::string& value) {
    if (const auto* found = row(identifier)) {
        found->status->setText(text(value));
    }
}

void StackViewActivityWindowController::updateActivityItemAdditionalStatus(
    const Uuid& identifier, const std::string& value) {
    if (const auto* found = row(identifier)) {
        found->additional->setText(text(value));
    }
}

void StackViewActivityWindowController::updateActivityItemLozenges(
    const Uuid& identifier, const std::string& outputType, const std::string& resizeText,
    const std::string& resolutionText) {
    if (const auto* found = row(identifier)) {
        found->lozenges->setText(lozengeText(outputType, resizeText, resolutionText));
    }
}

void StackViewActivityWindowController::activityItemFinished(const Uuid& identifier) {
    if (!row(identifier)) {
        return;
    }
    const QWidget* view = row(identifier)->view;
    const std::weak_ptr<StackViewActivityWindowController> weak = weak_from_this();
    MainQueue::asyncAfter(std::chrono::seconds(2), [weak, identifier, view] {
        const auto self = weak.lock();
        // A second "finished", or a row replaced meanwhile, must not remove another view.
        const auto* current = self ? self->row(identifier) : nullptr;
        if (!current || current->view != view) {
            return;
        }
        self->removeRow(identifier);
        if (const auto delegate = self->itemDelegate_.lock()) {
            delegate->activityItemRemoved(identifier);
        }
    });
}

void StackViewActivityWindowController::removeRow(const Uuid& identifier) {
    const auto found = items_.find(identifier);
    if (found == items_.end()) {
        return;
    }
    found->second.view->deleteLater();
    items_.erase(found);
}

} // namespace orlix
