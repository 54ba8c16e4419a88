#pragma once

#include "Helper/CoreApplicationLauncher.h"

#include <memory>
#include <optional>
#include <string_view>

namespace orlix::helper {

class LaunchEnvironment;

// The helper's three add-images entries for other programs (the file manager's context menu, the
// session bus): each hands the files to the main application with the settings of its zone.
// No image filter is applied here; the main application drops what it cannot process.
class ServiceProvider {
public:
    using SettingsType = CoreApplicationLauncher::SettingsType;

    explicit ServiceProvider(std::shared_ptr<LaunchEnvironment> environment);

    // The entry's settings type by its name ("quickOptimize", "resizeAndOptimize",
    // "usePreviousSettings").
    static std::optional<SettingsType> entryNamed(std::string_view name);

    // True when the main application got the files or was started with them.
    bool quickOptimize(const std::vector<Url>& urls);
    bool resizeAndOptimize(const std::vector<Url>& urls);
    bool usePreviousSettings(const std::vector<Url>& urls);
    bool perform(SettingsType settingsType, const std::vector<Url>& urls);

private:
    std::shared_ptr<LaunchEnvironment> environment_;
};

} // namespace orlix::helper
