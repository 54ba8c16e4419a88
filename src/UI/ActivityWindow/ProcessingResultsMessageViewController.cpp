#include "UI/ActivityWindow/ProcessingResultsMessageViewController.h"

#include "Platform/Localization.h"
#include "UI/ActivityWindow/ProcessingResultsMessageContents.h"

#include <QAbstractTextDocumentLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextFrame>
#include <QVBoxLayout>

#include <cmath>

namespace orlix {

ProcessingResultsMessageViewController::ProcessingResultsMessageViewController() {
    loadView();
    update();
}

ProcessingResultsMessageViewController::~ProcessingResultsMessageViewController() {
    delete view_.data();
}

void ProcessingResultsMessageViewController::loadView() {
    view_ = new QWidget;
    view_->setObjectName(QStringLiteral("processingResultsMessage"));
    view_->setFixedWidth(messageWidth);
    auto* column = new QVBoxLayout(view_);
    column->setContentsMargins(0, 0, 0, 10);
    column->setSpacing(4);

    processingResultsTextView_ = new QTextEdit(view_);
    processingResultsTextView_->setReadOnly(true);
    processingResultsTextView_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    processingResultsTextView_->setFrameShape(QFrame::NoFrame);
    processingResultsTextView_->viewport()->setAutoFillBackground(false);
    processingResultsTextView_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The text is laid out for the width left beside a scroller, so that it does not wrap anew
    // when one appears.
    const int scroller =
        processingResultsTextView_->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    processingResultsTextView_->setLineWrapMode(QTextEdit::FixedPixelWidth);
    processingResultsTextView_->setLineWrapColumnOrWidth(messageWidth - scroller);
    column->addWidget(processingResultsTextView_);

    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(0, 0, 10, 0);
    buttons->addStretch();
    closeButton_ = new QPushButton(
        QString::fromStdString(localized("Close", "Processing results message - closes it")),
        view_);
    QObject::connect(closeButton_, &QPushButton::clicked, closeButton_, [this] { doClose(); });
    buttons->addWidget(closeButton_);
    column->addLayout(buttons);
}

void ProcessingResultsMessageViewController::setActivated(bool activated) {
    activated_ = activated;
    update();
}

void ProcessingResultsMessageViewController::setProcessingStats(
    std::optional<ProcessingStats> stats) {
    processingStats_ = std::move(stats);
    update();
}

void ProcessingResultsMessageViewController::update() {
    if (!view_) {
        return;
    }
    auto* document = processingResultsTextView_->document();
    document->clear();
    // The inset above and beside the text; the fitted height adds the top one.
    QTextFrameFormat frame = document->rootFrame()->frameFormat();
    frame.setMargin(0);
    frame.setLeftMargin(textInset);
    frame.setRightMargin(textInset);
    frame.setTopMargin(textInset);
    document->rootFrame()->setFrameFormat(frame);
    // Inserted as text: a file name is never read as markup.
    QTextCursor cursor(document);
    for (const auto& run :
         ProcessingResultsMessageContents::renderedText(processingStats_, activated_)) {
        cursor.insertText(run.text, run.format);
    }
    // The reader starts at the top of the list.
    processingResultsTextView_->moveCursor(QTextCursor::Start);
    processingResultsTextView_->setFixedHeight(int(std::ceil(fittedHeight(usedTextHeight()))));
}

double ProcessingResultsMessageViewController::usedTextHeight() const {
    auto* document = processingResultsTextView_->document();
    document->setTextWidth(processingResultsTextView_->lineWrapColumnOrWidth());
    return document->documentLayout()->documentSize().height() - textInset;
}

double ProcessingResultsMessageViewController::fittedHeight(double usedHeight) {
    return usedHeight < maximumTextHeight - textInset ? usedHeight + textInset : maximumTextHeight;
}

void ProcessingResultsMessageViewController::doClose() {
    if (const auto dismiss = dismisser) {
        dismiss();
    }
}

} // namespace orlix
