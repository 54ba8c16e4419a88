#pragma once

#include "Helper/CoreApplicationLauncher.h"
#include "Helper/Floater.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

namespace orlix {
class OperationsViewController;
}

namespace orlix::helper {

class LaunchEnvironment;
class PopoverView;

// What the user sees of the helper during a qualifying drag: a borderless window that stays on
// top and never takes the focus, with the drop panel in a popover above the pointer. A drop on a
// zone hands the files to the main application with that zone's settings; elsewhere on the window
// the drag is answered (so that the source keeps it as its target) but the drop refused, which
// ends the drag over the window.
class FloatingWindow final : public QWidget, public Floater {
public:
    static constexpr const char* title = "Orlix drop panel";

    FloatingWindow(ScreenRect contentRect, ScreenPoint mouseLocation,
                   std::function<void()> dragEndedCallback,
                   std::shared_ptr<LaunchEnvironment> environment);
    ~FloatingWindow() override;

    void orderFront() override;
    void orderOut() override;
    ScreenRect validDraggingArea() const override;

    OperationsViewController* dragUIViewController() const { return dragUIViewController_.get(); }
    ScreenRect popoverFrame() const;

    void launchQuickOptimize(const std::vector<Url>& urls);
    void launchResizeAndOptimize(const std::vector<Url>& urls);
    void launchUsePreviousSettings(const std::vector<Url>& urls);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void setUp(ScreenRect contentRect, ScreenPoint mouseLocation);
    void updateValidDraggingArea();
    void launch(CoreApplicationLauncher::SettingsType settingsType, const std::vector<Url>& urls);
    std::function<void(const std::vector<Url>&)>
    dropCallback(void (FloatingWindow::*launch)(const std::vector<Url>&));

    std::function<void()> dragEndedCallback_;
    std::shared_ptr<LaunchEnvironment> environment_;
    std::unique_ptr<OperationsViewController> dragUIViewController_;
    PopoverView* popover_ = nullptr;
    ScreenRect windowFrame_;
    ScreenRect popoverFrame_;
    std::optional<ScreenRect> validDraggingArea_;
};

} // namespace orlix::helper
