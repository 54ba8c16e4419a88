#include "UI/Common/MessageQuestionView.h"

#include "UI/Common/MessageViewController.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace orlix {

namespace {

QLabel* wrappedLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    return label;
}

QPushButton* answerButton(const QString& title, std::function<void()> action, QWidget* parent) {
    auto* button = new QPushButton(title, parent);
    QObject::connect(button, &QPushButton::clicked, button, [action = std::move(action)] {
        if (action) {
            action();
        }
    });
    return button;
}

} // namespace

MessageQuestionView::MessageQuestionView(const Texts& texts, QWidget* picture,
                                         std::function<void()> declined,
                                         std::function<void()> accepted) {
    setFixedWidth(MessageViewController::messageWidth);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(16, 14, 16, 12);
    column->setSpacing(8);
    if (picture) {
        picture->setParent(this);
        column->addWidget(picture, 0, Qt::AlignHCenter);
    }
    titleLabel_ = wrappedLabel(texts.title, this);
    QFont bold = titleLabel_->font();
    bold.setPixelSize(14);
    bold.setBold(true);
    titleLabel_->setFont(bold);
    column->addWidget(titleLabel_);
    explanationLabel_ = wrappedLabel(texts.explanation, this);
    column->addWidget(explanationLabel_);

    auto* answers = new QHBoxLayout;
    answers->addStretch();
    declineButton_ = answerButton(texts.declineTitle, std::move(declined), this);
    answers->addWidget(declineButton_);
    acceptButton_ = answerButton(texts.acceptTitle, std::move(accepted), this);
    acceptButton_->setDefault(true);
    answers->addWidget(acceptButton_);
    column->addLayout(answers);
}

} // namespace orlix
