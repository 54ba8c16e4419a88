#pragma once

#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;

namespace orlix {

// The layout of a first-run question in the message window: an optional picture above a bold
// title and a line of explanation, and two answers, the one to decline on the left.
class MessageQuestionView final : public QWidget {
public:
    struct Texts {
        QString title;
        QString explanation;
        QString declineTitle;
        QString acceptTitle;
    };

    MessageQuestionView(const Texts& texts, QWidget* picture, std::function<void()> declined,
                        std::function<void()> accepted);

    QLabel* titleLabel() const { return titleLabel_; }
    QLabel* explanationLabel() const { return explanationLabel_; }
    QPushButton* declineButton() const { return declineButton_; }
    QPushButton* acceptButton() const { return acceptButton_; }

private:
    QLabel* titleLabel_ = nullptr;
    QLabel* explanationLabel_ = nullptr;
    QPushButton* declineButton_ = nullptr;
    QPushButton* acceptButton_ = nullptr;
};

} // namespace orlix
