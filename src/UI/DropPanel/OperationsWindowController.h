#pragma once

#include "Platform/Url.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <vector>

namespace orlix {

// The drop window: three zones, one per way of choosing the export settings. Files dropped on a
// zone are added with its settings; a click opens the file chooser instead.
class OperationsWindowController {
public:
    using DropCallback = std::function<void(const std::vector<Url>&)>;
    using ClickCallback = std::function<void()>;

    struct Callbacks {
        DropCallback quickOptimize;
        DropCallback resizeAndOptimize;
        DropCallback usePreviousSettings;
        ClickCallback quickOptimizeClicked;
        ClickCallback resizeAndOptimizeClicked;
        ClickCallback usePreviousSettingsClicked;
        // The user closed the window: a request to quit.
        std::function<bool()> closeRequested;
    };

    explicit OperationsWindowController(Callbacks callbacks);
    ~OperationsWindowController();

    void setVisible(bool visible);
    QWidget* window() const { return window_; }

private:
    QPointer<QWidget> window_;
};

} // namespace orlix
