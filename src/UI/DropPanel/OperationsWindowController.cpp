#include "UI/DropPanel/OperationsWindowController.h"

#include "Platform/Localization.h"
#include "UI/DropPanel/DropZone.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QMenuBar>

namespace orlix {

namespace {

// Closing the window is a request to quit, which may be refused.
class DropWindow final : public QWidget {
public:
    explicit DropWindow(std::function<bool()> closeRequested)
        : closeRequested_(std::move(closeRequested)) {}

protected:
    void closeEvent(QCloseEvent* event) override {
        if (closeRequested_ && !closeRequested_()) {
            event->ignore();
        }
    }

private:
    std::function<bool()> closeRequested_;
};

QString title(const char* text, const char* comment) {
    return QString::fromStdString(localized(text, comment));
}

} // namespace

OperationsWindowController::OperationsWindowController(Callbacks callbacks) {
    window_ = new DropWindow(callbacks.closeRequested);
    window_->setWindowTitle(QStringLiteral("Orlix"));
    auto* layout = new QHBoxLayout(window_);
    auto* menuBar = new QMenuBar(window_);
    auto* file = menuBar->addMenu(title("&File", "Menu"));
    file->addAction(title("Optimize Only…", "Menu item"), callbacks.quickOptimizeClicked);
    file->addAction(title("Resize and Optimize…", "Menu item"), callbacks.resizeAndOptimizeClicked);
    file->addAction(title("Use Previous Settings…", "Menu item"),
                    callbacks.usePreviousSettingsClicked);
    file->addSeparator();
    auto* quit = file->addAction(title("&Quit", "Menu item"), [request = callbacks.closeRequested] {
        if (request) {
            request();
        }
    });
    quit->setShortcut(QKeySequence::Quit);
    layout->setMenuBar(menuBar);
    layout->addWidget(new DropZone(title("Optimize Only", "Drop zone"), callbacks.quickOptimize,
                                   callbacks.quickOptimizeClicked, window_));
    layout->addWidget(new DropZone(title("Resize and Optimize", "Drop zone"),
                                   callbacks.resizeAndOptimize, callbacks.resizeAndOptimizeClicked,
                                   window_));
    layout->addWidget(new DropZone(title("Use Previous Settings", "Drop zone"),
                                   callbacks.usePreviousSettings,
                                   callbacks.usePreviousSettingsClicked, window_));
}

OperationsWindowController::~OperationsWindowController() {
    delete window_.data();
}

void OperationsWindowController::setVisible(bool visible) {
    if (window_) {
        window_->setVisible(visible);
    }
}

} // namespace orlix
