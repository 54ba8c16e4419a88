#pragma once

#include "Platform/MainQueue.h"
#include "Platform/RunLoop.h"
#include "Platform/ScopedManualClock.h"
#include "UI/ExportSettings/HeightConstraint.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>

#include <chrono>
#include <memory>

namespace orlix::testing {

// The export-settings tests: animations of no duration whose ends wait on a main loop and a
// clock driven by hand, so that a test sees the state while an animation is under way.
class ExportSettingsFixture : public ::testing::Test {
protected:
    ExportSettingsFixture() {
        MainQueue::setExecutor(loop_);
        HeightConstraint::setAnimationDuration(Clock::Duration::zero());
    }
    ~ExportSettingsFixture() override {
        settle();
        HeightConstraint::setAnimationDuration(std::chrono::milliseconds(250));
        MainQueue::setExecutor(nullptr);
    }

    // Lets every running animation end.
    void settle() {
        loop_->runUntilIdle();
        clock_->advance(std::chrono::seconds(1));
        loop_->runUntilIdle();
    }

    // Types into a field as the user does, without confirming it.
    static void type(QLineEdit* field, const QString& text) {
        field->setFocus();
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Backspace);
        QTest::keyClicks(field, text);
    }

    std::shared_ptr<RunLoop> loop_ = std::make_shared<RunLoop>();
    ScopedManualClock clock_;
};

} // namespace orlix::testing
