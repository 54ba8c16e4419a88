#include "Model/Preferences.h"

#include "Model/PropertyListKey.h"
#include "Platform/UserDefaults.h"

#include <charconv>
#include <cstdint>

namespace orlix {

namespace {

// The version written with the values; stores of a newer major version are not read.
constexpr const char* propertyListVersion = "10.0";

// Stored codes.
enum class OutputResolutionsCode : std::uint8_t { x3x2x1Resolutions = 0, x2x1Resolutions = 1 };
enum class PerformanceCode : std::uint8_t { high = 0, normal = 1, low = 2 };

// The major part of a version text: its first non-empty piece between dots, as an unsigned decimal
// number that may carry a leading "+".
std::optional<std::uint64_t> majorVersion(std::string_view version) {
    const auto start = version.find_first_not_of('.');
    if (start == std::string_view::npos) {
        return std::nullopt;
    }
    auto piece = version.substr(start, version.find('.', start) - start);
    if (piece.starts_with('+')) {
        piece.remove_prefix(1);
    }
    std::uint64_t number = 0;
    const auto* end = piece.data() + piece.size();
    const auto [last, error] = std::from_chars(piece.data(), end, number);
    if (piece.empty() || error != std::errc() || last != end) {
        return std::nullopt;
    }
    return number;
}

// A fresh store for every access, so another process's writes are seen.
std::shared_ptr<UserDefaults> defaults() {
    return UserDefaults::standardUserDefaults();
}

bool hasValue(const char* key) {
    return defaults()->objectForKey(key).has_value();
}

std::optional<std::int64_t> storedInteger(const char* key) {
    if (!hasValue(key)) {
        return std::nullopt;
    }
    return defaults()->integerForKey(key);
}

OutputResolutionsPreference loadResolutions() {
    switch (storedInteger(PropertyListKey::resolutions).value_or(-1)) {
    case std::int64_t(OutputResolutionsCode::x3x2x1Resolutions):
        return OutputResolutionsPreference::x3x2x1;
    case std::int64_t(OutputResolutionsCode::x2x1Resolutions):
        return OutputResolutionsPreference::x2x1;
    default:
        return Preferences::defaultResolutions();
    }
}

PerformancePreference loadPerformance() {
    switch (storedInteger(PropertyListKey::performance).value_or(-1)) {
    case std::int64_t(PerformanceCode::high):
        return PerformancePreference::high;
    case std::int64_t(PerformanceCode::normal):
        return PerformancePreference::normal;
    case std::int64_t(PerformanceCode::low):
        return PerformancePreference::low;
    default:
        return Preferences::defaultPerformance();
    }
}

ExportSettings loadCurrentExportSettings() {
    const auto stored = defaults()->dictionaryForKey(PropertyListKey::currentExportSettings);
    const auto settings = stored ? ExportSettings::fromPropertyList(*stored) : std::nullopt;
    return settings.value_or(Preferences::defaultCurrentExportSettings());
}

std::vector<ExportSettingsPreset> loadUserPresets() {
    std::vector<ExportSettingsPreset> presets;
    const auto stored = defaults()->arrayForKey(PropertyListKey::presets);
    for (const auto& element : stored.value_or(PropertyList::Array{})) {
        const auto* dictionary = element.dictionaryValue();
        const auto preset =
            dictionary ? ExportSettingsPreset::fromPropertyList(*dictionary) : std::nullopt;
        if (preset) {
            presets.push_back(*preset);
        }
    }
    return presets;
}

bool loadFlag(const char* key) {
    return hasValue(key) ? defaults()->boolForKey(key) : true;
}

OutputResolutionsCode code(OutputResolutionsPreference resolutions) {
    return resolutions == OutputResolutionsPreference::x3x2x1
               ? OutputResolutionsCode::x3x2x1Resolutions
               : OutputResolutionsCode::x2x1Resolutions;
}

PerformanceCode code(PerformancePreference performance) {
    switch (performance) {
    case PerformancePreference::high:
        return PerformanceCode::high;
    case PerformancePreference::low:
        return PerformanceCode::low;
    case PerformancePreference::normal:
        break;
    }
    return PerformanceCode::normal;
}

} // namespace

OutputResolutionsPreference Preferences::defaultResolutions() {
    return OutputResolutionsPreference::x2x1;
}

PerformancePreference Preferences::defaultPerformance() {
    return PerformancePreference::normal;
}

const ExportSettings& Preferences::defaultCurrentExportSettings() {
    static const ExportSettings settings = ExportSettings::defaultSettings();
    return settings;
}

bool Preferences::isStoredVersionSupported() {
    const auto stored = defaults()->stringForKey(PropertyListKey::version);
    if (!stored) {
        return false;
    }
    const auto storedMajor = majorVersion(*stored);
    return storedMajor && *storedMajor <= *majorVersion(propertyListVersion);
}

Preferences Preferences::load() {
    Preferences preferences;
    if (!isStoredVersionSupported()) {
        return preferences;
    }
    preferences.resolutions = loadResolutions();
    preferences.performance = loadPerformance();
    preferences.currentExportSettings = loadCurrentExportSettings();
    preferences.userPresets = loadUserPresets();
    preferences.userSelectedPresetTitle =
        defaults()->stringForKey(PropertyListKey::userSelectedPresetTitle);
    preferences.displayOperationsWindow = loadFlag(PropertyListKey::displayOperationsWindow);
    preferences.displayActivityDetailView = loadFlag(PropertyListKey::displayActivityDetailView);
    return preferences;
}

void Preferences::save() const {
    PropertyList::Array presets;
    for (const auto& preset : userPresets) {
        presets.emplace_back(preset.propertyList());
    }
    defaults()->setObject(propertyListVersion, PropertyListKey::version);
    defaults()->setObject(unsigned(code(resolutions)), PropertyListKey::resolutions);
    defaults()->setObject(unsigned(code(performance)), PropertyListKey::performance);
    defaults()->setObject(currentExportSettings.propertyList(),
                          PropertyListKey::currentExportSettings);
    defaults()->setObject(std::move(presets), PropertyListKey::presets);
    if (userSelectedPresetTitle) {
        defaults()->setObject(*userSelectedPresetTitle, PropertyListKey::userSelectedPresetTitle);
    }
    defaults()->setObject(displayOperationsWindow, PropertyListKey::displayOperationsWindow);
    defaults()->setObject(displayActivityDetailView, PropertyListKey::displayActivityDetailView);
}

} // namespace orlix
