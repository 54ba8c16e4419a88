#include "App/EnableAutomaticUpdatesViewController.h"
#include "App/MessageBackgroundView.h"
#include "App/MessageWindowController.h"
#include "App/QtMessageWindows.h"
#include "App/QtStandardWindows.h"

#include "Platform/MainQueue.h"
#include "Platform/RunLoop.h"
#include "Platform/ScopedManualClock.h"
#include "Platform/UserDefaults.h"
#include "Shared/SharedDefinitions.h"
#include "Support/FakeUpdater.h"
#include "Support/ScopedEnvironment.h"
#include "Support/TemporaryDirectory.h"
#include "UI/Common/DeactivatableUI.h"
#include "UI/Common/MessageQuestionView.h"
#include "UI/Common/Palette.h"
#include "UI/DropWindow/OperationsWindow.h"
#include "UI/DropWindow/OperationsWindowController.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWindow>

#include <memory>

namespace orlix {
namespace {

using namespace std::chrono_literals;

// A message of a given height with a label and a label the user may edit.
class FakeMessage final : public MessageViewController, public DeactivatableUI {
public:
    explicit FakeMessage(int height)
        : view_(new QWidget) {
        view_->setFixedSize(messageWidth, height);
        auto* layout = new QVBoxLayout(view_);
        label = new QLabel(QStringLiteral("Message"), view_);
        editable = new QLabel(QStringLiteral("Editable"), view_);
        editable->setTextInteractionFlags(Qt::TextEditorInteraction);
        layout->addWidget(label);
        layout->addWidget(editable);
    }
    ~FakeMessage() override { delete view_.data(); }

    QWidget* view() const override { return view_; }
    bool activated() const override { return activated_.value_or(true); }
    void setActivated(bool activated) override { activated_ = activated; }

    QLabel* label = nullptr;
    QLabel* editable = nullptr;
    std::optional<bool> activated_;

private:
    QPointer<QWidget> view_;
};

QColor textColour(const QLabel* label) {
    return label->palette().color(QPalette::WindowText);
}

class MessageWindowTests : public ::testing::Test {
protected:
    ~MessageWindowTests() override { emit qGuiApp->applicationStateChanged(Qt::ApplicationActive); }

    MessageWindowController controller_;
};

TEST_F(MessageWindowTests, AFramelessRoundedPanelThatGrowsDownwardsWithItsMessage) {
    QWidget* window = controller_.window();
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(window->windowType(), Qt::Tool);
    EXPECT_TRUE(window->testAttribute(Qt::WA_TranslucentBackground));

    window->move(100, 200);
    controller_.setMessageViewController(std::make_shared<FakeMessage>(80));
    EXPECT_EQ(window->height(), 80);
    EXPECT_EQ(window->width(), MessageViewController::messageWidth);
    controller_.setMessageViewController(std::make_shared<FakeMessage>(150));
    EXPECT_EQ(window->geometry(), QRect(100, 200, MessageViewController::messageWidth, 150))
        << "the top edge stays where it was";

    window->show();
    const QRegion mask = window->mask();
    EXPECT_FALSE(mask.contains(QPoint(0, 0))) << "the corners are cut";
    EXPECT_TRUE(mask.contains(QPoint(10, 10)));
    EXPECT_TRUE(mask.contains(QPoint(window->width() / 2, 1)));
    window->hide();
}

TEST_F(MessageWindowTests, AnAttachedWindowHangsBelowItsParentAndMovesWithIt) {
    QWidget parent(nullptr, Qt::FramelessWindowHint);
    parent.setGeometry(300, 75, 440, 200);
    controller_.setMessageViewController(std::make_shared<FakeMessage>(80));
    controller_.attach(&parent, 10);
    EXPECT_EQ(controller_.window()->pos(), QPoint(300, 285));
    EXPECT_EQ(controller_.window()->windowHandle()->transientParent(), parent.windowHandle());
    parent.show();
    parent.move(500, 100);
    QCoreApplication::processEvents();
    EXPECT_EQ(controller_.window()->pos(), QPoint(500, 310));

    controller_.detach();
    parent.move(0, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(controller_.window()->pos(), QPoint(500, 310)) << "a detached window stays";
    EXPECT_EQ(controller_.window()->windowHandle()->transientParent(), nullptr);
}

TEST_F(MessageWindowTests, AMessageClosesThroughTheWindowsDismisserUntilItIsReplaced) {
    int dismissed = 0;
    controller_.dismisser = [&] { ++dismissed; };
    const auto first = std::make_shared<FakeMessage>(60);
    controller_.setMessageViewController(first);
    EXPECT_EQ(first->view()->parentWidget(), controller_.contentView());
    ASSERT_TRUE(first->dismisser);
    first->dismisser();
    EXPECT_EQ(dismissed, 1);

    const auto second = std::make_shared<FakeMessage>(60);
    controller_.setMessageViewController(second);
    EXPECT_FALSE(first->dismisser) << "a detached message cannot close the window";
    EXPECT_EQ(first->view()->parentWidget(), nullptr);
    second->dismisser();
    EXPECT_EQ(dismissed, 2);

    // Without an owner's dismisser nothing happens.
    controller_.dismisser = nullptr;
    second->dismisser();
    EXPECT_EQ(dismissed, 2);
}

TEST_F(MessageWindowTests, LabelsTurnGreyWhileOrlixIsInactive) {
    // The offscreen platform never changes state by itself.
    emit qGuiApp->applicationStateChanged(Qt::ApplicationActive);
    const auto message = std::make_shared<FakeMessage>(60);
    controller_.setMessageViewController(message);
    EXPECT_FALSE(message->activated_) << "installing does not tell the message";
    const QColor editableColour = textColour(message->editable);

    emit qGuiApp->applicationStateChanged(Qt::ApplicationInactive);
    EXPECT_FALSE(controller_.activated());
    EXPECT_EQ(textColour(message->label), Palette::inactiveLabel());
    EXPECT_EQ(textColour(message->editable), editableColour) << "editable text keeps its colour";
    EXPECT_EQ(message->activated_, false);

    emit qGuiApp->applicationStateChanged(Qt::ApplicationActive);
    EXPECT_NE(textColour(message->label), Palette::inactiveLabel());
    EXPECT_EQ(message->activated_, true);
}

class QtMessageWindowsTests : public ::testing::Test {
protected:
    QtMessageWindowsTests() {
        MainQueue::setExecutor(loop_);
        standardWindows_.createOperationsWindow({});
    }
    QWidget* dropWindow() const { return standardWindows_.operationsWindowController()->window(); }
    ~QtMessageWindowsTests() override {
        windows_.reset();
        loop_->runUntilIdle();
        MainQueue::setExecutor(nullptr);
    }
    void settle(Clock::Duration time) {
        loop_->runUntilIdle();
        clock_->advance(time);
        loop_->runUntilIdle();
    }

    testing::TemporaryDirectory folder_;
    testing::ScopedEnvironment configHome_{"XDG_CONFIG_HOME", folder_.path().string()};
    testing::ScopedManualClock clock_;
    std::shared_ptr<RunLoop> loop_ = std::make_shared<RunLoop>();
    QtStandardWindows standardWindows_{{}, nullptr};
    std::shared_ptr<QtMessageWindows> windows_ =
        std::make_shared<QtMessageWindows>([this] { return dropWindow(); }, nullptr);
};

TEST_F(QtMessageWindowsTests, TheMessageHangsBelowTheDropWindowAndGoesOnceFadedOut) {
    ProcessingStats none;
    windows_->createMessageWindow(MessageWindows::Message::processingResults, none, nullptr);
    QWidget* window = windows_->messageWindowController()->window();
    const QRect drop = dropWindow()->frameGeometry();
    EXPECT_EQ(window->geometry().topLeft(), QPoint(drop.left(), drop.bottom() + 1 + 10));
    EXPECT_EQ(window->width(), drop.width()) << "as wide as the drop window";
    windows_->orderFrontMessageWindow();
    EXPECT_TRUE(window->isVisible());

    windows_->closeMessageWindow(true);
    settle(200ms);
    EXPECT_TRUE(windows_->hasMessageWindow()) << "still fading";
    // A message made meanwhile is not taken by the old fade.
    windows_->closeMessageWindow(false);
    windows_->createMessageWindow(MessageWindows::Message::enableDragUI, std::nullopt, nullptr);
    windows_->orderFrontMessageWindow();
    settle(300ms);
    EXPECT_TRUE(windows_->hasMessageWindow());

    windows_->animateMessageWindowAlpha(0.0);
    settle(300ms);
    EXPECT_FALSE(windows_->messageWindowController()->window()->isVisible())
        << "faded out, it takes no clicks";
    windows_->closeMessageWindow(true);
    EXPECT_FALSE(windows_->hasMessageWindow()) << "a hidden window goes at once";
}

class AutomaticUpdatesMessageTests : public ::testing::TestWithParam<bool> {
protected:
    testing::TemporaryDirectory folder_;
    testing::ScopedEnvironment configHome_{"XDG_CONFIG_HOME", folder_.path().string()};
    std::shared_ptr<testing::FakeUpdater> updater_ = std::make_shared<testing::FakeUpdater>();
};

TEST_P(AutomaticUpdatesMessageTests, EitherAnswerIsKeptAndClosesTheMessage) {
    const bool checkAutomatically = GetParam();
    updater_->automaticChecks = !checkAutomatically;
    EnableAutomaticUpdatesViewController message(updater_);
    int dismissed = 0;
    message.dismisser = [&] { ++dismissed; };
    auto* button = checkAutomatically ? message.questionView()->acceptButton()
                                      : message.questionView()->declineButton();
    button->click();
    EXPECT_EQ(dismissed, 1);
    EXPECT_EQ(updater_->automaticChecks, checkAutomatically);
    EXPECT_TRUE(UserDefaults(UserDefaults::standardDomain)
                    .boolForKey(displayedEnableAutomaticUpdatesMessageDefaultsKey))
        << "asked once, whatever the answer";
}

INSTANTIATE_TEST_SUITE_P(Answers, AutomaticUpdatesMessageTests, ::testing::Bool());

} // namespace
} // namespace orlix
