#pragma once

#include "App/StandardWindows.h"

#include <chrono>
#include <functional>
#include <memory>

class QWidget;

namespace orlix {

class OperationsWindowController;

// The standard interface on Qt: the drop window with its menu. On X11 a see-through window still
// takes clicks, and without a compositor opacity does nothing, so a window faded out is hidden,
// and shown again (without taking the activation from another application) before it fades in.
class QtStandardWindows final : public StandardWindows {
public:
    static constexpr std::chrono::milliseconds fadeDuration{300};

    // `attachMenu` gives the drop window its menu; `closeRequested` answers whether closing it
    // may quit Orlix.
    QtStandardWindows(std::function<void(QWidget*)> attachMenu,
                      std::function<bool()> closeRequested);
    ~QtStandardWindows() override;

    bool hasOperationsWindow() const override;
    void createOperationsWindow(Callbacks callbacks) override;
    bool isApplicationHidden() const override;
    void setAlpha(double alpha) override;
    void makeKeyAndOrderFront() override;
    void animateAlpha(double alpha, std::function<void()> completion) override;
    void activate() override;

    OperationsWindowController* operationsWindowController() const { return controller_.get(); }

private:
    std::function<void(QWidget*)> attachMenu_;
    std::function<bool()> closeRequested_;
    std::unique_ptr<OperationsWindowController> controller_;
    bool firstShowing_ = true;
};

} // namespace orlix
