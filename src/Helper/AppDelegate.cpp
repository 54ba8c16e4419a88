#include "Helper/AppDelegate.h"

#include "Helper/DragObserver.h"
#include "Helper/UserDefaultsKeyWatcher.h"
#include "Platform/MainQueue.h"
#include "Platform/UserDefaults.h"
#include "Shared/ImageFileType.h"
#include "Shared/SharedDefinitions.h"

#include <utility>

namespace orlix::helper {

namespace {

constexpr double floaterSize = 100.0;

} // namespace

std::shared_ptr<AppDelegate> AppDelegate::create(Services services) {
    return std::shared_ptr<AppDelegate>(new AppDelegate(std::move(services)));
}

AppDelegate::AppDelegate(Services services)
    : services_(std::move(services)) {}

AppDelegate::~AppDelegate() = default;

// The observer and the windows call back into the delegate only while it lives.
template <typename Method> std::function<void()> AppDelegate::weakCall(Method method) {
    return [weak = weak_from_this(), method] {
        if (const auto delegate = weak.lock()) {
            ((*delegate).*method)();
        }
    };
}

void AppDelegate::applicationDidFinishLaunching() {
    const std::weak_ptr<AppDelegate> weak = weak_from_this();
    showFlagWatcher_ = std::make_unique<UserDefaultsKeyWatcher>(
        services_.defaults, showUIOnImageFileDragDefaultsKey,
        [weak](const std::optional<PropertyList>& value) {
            if (const auto delegate = weak.lock()) {
                delegate->showFlagChanged(value);
            }
        });
    if (services_.dragSource) {
        const auto defaults = services_.defaults;
        dragObserver_ = DragObserver::create(
            services_.dragSource,
            [defaults] { return defaults->integerForKey(dragUIModifierKeysDefaultsKey); },
            {weakCall(&AppDelegate::dragBegan), weakCall(&AppDelegate::dragContinued),
             weakCall(&AppDelegate::dragEnded)});
    }
    if (dragObserver_ && services_.defaults->boolForKey(showUIOnImageFileDragDefaultsKey)) {
        dragObserver_->setIsObserving(true);
    }
}

void AppDelegate::applicationWillTerminate() {
    showFlagWatcher_.reset();
    if (dragObserver_) {
        dragObserver_->setIsObserving(false);
    }
    closeFloatingWindow();
}

void AppDelegate::showFlagChanged(const std::optional<PropertyList>& value) {
    if (!dragObserver_) {
        return;
    }
    if (!value) {
        // Removing the key turns the panel off, as its absence at launch does.
        dragObserver_->setIsObserving(false);
    } else if (const bool* flag = value->boolValue()) {
        dragObserver_->setIsObserving(*flag);
    }
}

void AppDelegate::dragBegan() {
    const auto images = ImageFileType::supportedImageURLs(services_.dragSource->draggedFileURLs());
    if (images.empty()) {
        closeFloatingWindow();
    } else {
        showFloatingWindow(services_.dragSource->mouseLocation());
    }
}

void AppDelegate::dragContinued() {
    if (floater_ &&
        !floater_->validDraggingArea().contains(services_.dragSource->mouseLocation())) {
        closeFloatingWindow();
    }
}

// The release is seen a moment before a drop on the floating window arrives: the window stays
// until its drop has come, or for a short while when none does.
void AppDelegate::dragEnded() {
    if (!floater_) {
        return;
    }
    MainQueue::asyncAfter(kCloseAfterReleaseDelay,
                          [weak = weak_from_this(), generation = floaterGeneration_] {
                              const auto delegate = weak.lock();
                              if (delegate && delegate->floaterGeneration_ == generation) {
                                  delegate->closeFloatingWindow();
                              }
                          });
}

void AppDelegate::closeFloatingWindow() {
    if (auto floater = std::move(floater_)) {
        floater->orderOut();
    }
}

void AppDelegate::showFloatingWindow(ScreenPoint location) {
    closeFloatingWindow();
    if (!services_.makeFloater) {
        return;
    }
    ++floaterGeneration_;
    const ScreenRect contentRect{location.x - floaterSize / 2, location.y - floaterSize / 2,
                                 floaterSize, floaterSize};
    floater_ =
        services_.makeFloater(contentRect, location, weakCall(&AppDelegate::closeFloatingWindow));
    floater_->orderFront();
}

} // namespace orlix::helper
