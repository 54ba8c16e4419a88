#pragma once

#include <cstddef>
#include <optional>

namespace orlix {

// The item positions of the preset pop-up with B built-in and U user presets: "-" (0), a
// separator and the built-in presets (when B > 0), then, when U > 0, a separator, the user
// presets, a separator and the delete item. Separators are known by their position alone, so a
// preset may carry any title.
class PresetItemIndexes {
public:
    PresetItemIndexes(std::size_t builtInCount, std::size_t userCount)
        : builtInCount_(builtInCount)
        , userCount_(userCount) {}

    static constexpr int noPresetItemIndex = 0;

    std::optional<int> firstBuiltInPresetItemIndex() const;
    std::optional<int> lastBuiltInPresetItemIndex() const;
    int firstUserPresetItemIndex() const;
    int lastUserPresetItemIndex() const;
    bool isDeletePresetsItem(int index) const;
    bool isSeparator(int index) const;
    int itemCount() const;

    // The position in its list of the preset at an item, when the item is one.
    std::optional<std::size_t> builtInPosition(int index) const;
    std::optional<std::size_t> userPosition(int index) const;

private:
    std::size_t builtInCount_;
    std::size_t userCount_;
};

} // namespace orlix
