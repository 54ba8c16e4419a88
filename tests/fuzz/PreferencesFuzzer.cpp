// The preferences reading whatever property-list values are stored under their keys: any shape
// of value, nested as deep as the fuzzer likes, with the keys the preferences and their nested
// dictionaries use. Loading never fails, and what loads is what a save and a second load give.
#include "PreferencesFile.h"
#include "Require.h"

#include "Model/Preferences.h"
#include "Model/PropertyListKey.h"
#include "Platform/PropertyListSerialization.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstdio>

using namespace orlix;

namespace {

using Key = PropertyListKey;

constexpr std::array knownKeys{
    Key::version,
    Key::performance,
    Key::resolutions,
    Key::currentExportSettings,
    Key::presets,
    Key::userSelectedPresetTitle,
    Key::displayOperationsWindow,
    Key::displayActivityDetailView,
    Key::presetTitle,
    Key::presetExportSettings,
    Key::presetExportConfig,
    Key::presetResolutionConfig,
    Key::presetExportFormat,
    Key::presetResizeConfig,
    Key::presetExportType,
    Key::presetPNGConfig,
    Key::presetUseHighQuality,
    Key::presetUseZopfli,
    Key::presetResizeConfigType,
    Key::presetResizeConfigPercentage,
    Key::presetResizeConfigFixedWidth,
    Key::presetResizeConfigFixedHeight,
};

constexpr int deepest = 12;

std::string key(FuzzedDataProvider& input) {
    if (input.ConsumeBool()) {
        return knownKeys[input.ConsumeIntegralInRange<std::size_t>(0, knownKeys.size() - 1)];
    }
    return input.ConsumeRandomLengthString(16);
}

PropertyList value(FuzzedDataProvider& input, int depth);

PropertyList::Dictionary dictionary(FuzzedDataProvider& input, int depth) {
    PropertyList::Dictionary entries;
    const auto count = input.ConsumeIntegralInRange<int>(0, 8);
    for (int index = 0; index < count && input.remaining_bytes() > 0; ++index) {
        auto name = key(input);
        entries.insert_or_assign(std::move(name), value(input, depth + 1));
    }
    return entries;
}

PropertyList::Array array(FuzzedDataProvider& input, int depth) {
    PropertyList::Array elements;
    const auto count = input.ConsumeIntegralInRange<int>(0, 8);
    for (int index = 0; index < count && input.remaining_bytes() > 0; ++index) {
        elements.push_back(value(input, depth + 1));
    }
    return elements;
}

// Small whole numbers most of the time, since that is what the stored codes and sizes are.
std::int64_t integer(FuzzedDataProvider& input) {
    return input.ConsumeBool() ? input.ConsumeIntegralInRange<std::int64_t>(-2, 10'001)
                               : input.ConsumeIntegral<std::int64_t>();
}

PropertyList value(FuzzedDataProvider& input, int depth) {
    const int kinds = depth < deepest ? 8 : 6;
    switch (input.ConsumeIntegralInRange<int>(0, kinds - 1)) {
    case 0:
        return input.ConsumeBool();
    case 1:
        return integer(input);
    case 2:
        return input.ConsumeFloatingPoint<double>();
    case 3:
        return input.ConsumeBool() ? "10.0" : input.ConsumeRandomLengthString(24);
    case 4:
        return input.ConsumeBytes<std::uint8_t>(input.ConsumeIntegralInRange<std::size_t>(0, 8));
    case 5:
        return static_cast<double>(integer(input));
    case 6:
        return array(input, depth);
    default:
        return dictionary(input, depth);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzing::PreferencesFile::useScratchConfiguration();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    // Most stores carry the current version, without which nothing further is read.
    const bool current = input.ConsumeIntegralInRange<int>(0, 7) != 0;
    auto root = dictionary(input, 0);
    if (current) {
        root.try_emplace(Key::version, "10.0");
    }
    const auto stored = PropertyListSerialization::toXml(root);
    fuzzing::PreferencesFile::replace(
        {reinterpret_cast<const std::uint8_t*>(stored.data()), stored.size()});
    const auto loaded = Preferences::load();
    loaded.save();
    auto reloaded = Preferences::load();
    // A save without a selected title leaves the stored one in place, whatever it was.
    if (!loaded.userSelectedPresetTitle) {
        reloaded.userSelectedPresetTitle.reset();
    }
    const bool same = reloaded == loaded;
    if (!same) {
        std::fprintf(stderr, "stored:\n%s\n", stored.c_str());
    }
    fuzzing::require(same, "saved preferences load as they were");
    return 0;
}
