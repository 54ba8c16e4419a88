#pragma once

#include "Helper/DragEventSource.h"
#include "Helper/Floater.h"
#include "Platform/Clock.h"
#include "Platform/PropertyList.h"

#include <chrono>
#include <memory>
#include <optional>

namespace orlix {
class UserDefaults;
}

namespace orlix::helper {

class DragObserver;
class UserDefaultsKeyWatcher;

// The helper's delegate: follows the user's choice to show the panel on drags, and opens and
// closes the floating window as a qualifying drag goes on.
class AppDelegate : public std::enable_shared_from_this<AppDelegate> {
public:
    // After the drag's release, the drop on the floating window may still be on its way.
    static constexpr std::chrono::milliseconds kCloseAfterReleaseDelay{300};

    struct Services {
        // Absent where other programs' drags cannot be seen (a Wayland session).
        std::shared_ptr<DragEventSource> dragSource;
        // The helper's own domain.
        std::shared_ptr<UserDefaults> defaults;
        FloaterFactory makeFloater;
    };

    static std::shared_ptr<AppDelegate> create(Services services);
    ~AppDelegate();
    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;

    void applicationDidFinishLaunching();
    void applicationWillTerminate();

    // A new value of "OXShowUIOnImageFileDrag": a Boolean switches watching on or off, an absent
    // one off; a value of another kind changes nothing.
    void showFlagChanged(const std::optional<PropertyList>& value);

    void dragBegan();
    void dragContinued();
    void dragEnded();
    void closeFloatingWindow();
    void showFloatingWindow(ScreenPoint location);

    const DragObserver* dragObserver() const { return dragObserver_.get(); }
    const Floater* floater() const { return floater_.get(); }

private:
    explicit AppDelegate(Services services);
    template <typename Method> std::function<void()> weakCall(Method method);

    Services services_;
    std::shared_ptr<DragObserver> dragObserver_;
    std::unique_ptr<Floater> floater_;
    std::unique_ptr<UserDefaultsKeyWatcher> showFlagWatcher_;
    // Counts the floating windows shown, so that a late close meant for one spares the next.
    std::uint64_t floaterGeneration_ = 0;
};

} // namespace orlix::helper
