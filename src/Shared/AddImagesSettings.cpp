#include "Shared/AddImagesSettings.h"

#include "Platform/TextTrimming.h"
#include "Shared/SharedDefinitions.h"

namespace orlix {

AddImagesSettings::SettingsType
AddImagesSettings::settingsTypeFromArguments(const std::vector<std::string>& arguments) {
    for (const auto& argument : arguments) {
        // Line breaks are deliberately kept: only what a shell leaves around a word is dropped.
        const auto word = trimmed(argument, " \t");
        if (word == quickOptimizeArgument) {
            return SettingsType::quickOptimize;
        }
        if (word == lastUsedSettingsArgument) {
            return SettingsType::usePreviousSettings;
        }
    }
    return SettingsType::resizeAndOptimize;
}

} // namespace orlix
