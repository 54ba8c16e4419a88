#include "Platform/Localization.h"

#include <memory>
#include <mutex>

namespace orlix {

namespace {

struct LocalizerSlot {
    std::mutex mutex;
    std::shared_ptr<const Localizer> localizer;
};

LocalizerSlot& slot() {
    static LocalizerSlot instance;
    return instance;
}

} // namespace

std::string localized(std::string_view text, std::string_view comment) {
    std::shared_ptr<const Localizer> localizer;
    {
        const std::lock_guard lock(slot().mutex);
        localizer = slot().localizer;
    }
    // Called outside the lock: a catalogue lookup may take time, and may itself localise.
    return (localizer && *localizer) ? (*localizer)(text, comment) : std::string(text);
}

void setLocalizer(Localizer localizer) {
    auto installed = std::make_shared<const Localizer>(std::move(localizer));
    const std::lock_guard lock(slot().mutex);
    slot().localizer = std::move(installed);
}

} // namespace orlix
