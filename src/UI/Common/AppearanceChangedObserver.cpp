#include "UI/Common/AppearanceChangedObserver.h"

#include "UI/Common/ApplicationAppearanceObserver.h"

namespace orlix {

AppearanceChangedObserver::AppearanceChangedObserver(
    QWidget* window, std::function<void()> appearanceChangedCallback)
    : appearanceChangedObserver_(std::make_unique<ApplicationAppearanceObserver>(
          window, std::move(appearanceChangedCallback))) {}

AppearanceChangedObserver::~AppearanceChangedObserver() = default;

} // namespace orlix
