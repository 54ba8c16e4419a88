#pragma once

#include <functional>
#include <memory>

class QWidget;

namespace orlix {

class ApplicationAppearanceObserver;

// Calls back when a window changes between the light and the dark scheme, once per change, for
// views whose drawing differs between the two. The owner keeps it in an optional member made once
// its window exists; releasing it ends the observation at once.
class AppearanceChangedObserver {
public:
    // `window` is the window to watch, or any view in it.
    AppearanceChangedObserver(QWidget* window, std::function<void()> appearanceChangedCallback);
    ~AppearanceChangedObserver();
    AppearanceChangedObserver(const AppearanceChangedObserver&) = delete;
    AppearanceChangedObserver& operator=(const AppearanceChangedObserver&) = delete;

private:
    std::unique_ptr<ApplicationAppearanceObserver> appearanceChangedObserver_;
};

} // namespace orlix
