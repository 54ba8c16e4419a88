#pragma once

#include "Platform/Url.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <vector>

class QMimeData;
class QScreen;

namespace orlix {

class ApplicationActivationObserver;
class LargeOperationsViewController;
class OperationsWindow;

// The drop window of the application: the large drop panel in a rounded, see-through window near
// the top of the screen. It keeps the panel's look in step with the application's activation,
// takes a drag only when it carries a PNG or JPEG file, and passes the panel's six events on to
// its owner. Showing and hiding it is the owner's. Main thread only.
class OperationsWindowController final : public QObject {
public:
    using DropCallback = std::function<void(const std::vector<Url>&)>;
    using ClickedCallback = std::function<void()>;

    OperationsWindowController();
    ~OperationsWindowController() override;
    OperationsWindowController(const OperationsWindowController&) = delete;
    OperationsWindowController& operator=(const OperationsWindowController&) = delete;

    // Loads the window on first use.
    OperationsWindow* window();
    LargeOperationsViewController* operationsViewController() const {
        return operationsViewController_.get();
    }

    DropCallback quickOptimizeCallback;
    DropCallback resizeAndOptimizeCallback;
    DropCallback usePreviousSettingsCallback;
    ClickedCallback quickOptimizeClickedCallback;
    ClickedCallback resizeAndOptimizeClickedCallback;
    ClickedCallback usePreviousSettingsClickedCallback;

    void setInBackground(bool inBackground);
    // Taken when the drag carries at least one PNG or JPEG file.
    static bool isDragAccepted(const QMimeData* pasteboard);
    // The window's top edge lies a fixed margin below the top of its screen, centred across it.
    void placeOnScreen(const QScreen* screen);

private:
    void windowDidLoad();
    void wirePanel();

    std::unique_ptr<OperationsWindow> window_;
    std::unique_ptr<LargeOperationsViewController> operationsViewController_;
    std::unique_ptr<ApplicationActivationObserver> applicationActivationObserver_;
};

} // namespace orlix
