#include "UI/ExportSettings/PresetItemIndexes.h"

namespace orlix {

std::optional<int> PresetItemIndexes::firstBuiltInPresetItemIndex() const {
    return builtInCount_ > 0 ? std::optional(2) : std::nullopt;
}

std::optional<int> PresetItemIndexes::lastBuiltInPresetItemIndex() const {
    return builtInCount_ > 0 ? std::optional(2 + int(builtInCount_) - 1) : std::nullopt;
}

int PresetItemIndexes::firstUserPresetItemIndex() const {
    const auto lastBuiltIn = lastBuiltInPresetItemIndex();
    return lastBuiltIn ? *lastBuiltIn + 2 : 2;
}

int PresetItemIndexes::lastUserPresetItemIndex() const {
    return firstUserPresetItemIndex() + int(userCount_) - 1;
}

bool PresetItemIndexes::isDeletePresetsItem(int index) const {
    return userCount_ > 0 && index == firstUserPresetItemIndex() + int(userCount_) + 1;
}

bool PresetItemIndexes::isSeparator(int index) const {
    if (builtInCount_ > 0 && index == 1) {
        return true;
    }
    return userCount_ > 0 && (index == firstUserPresetItemIndex() - 1 ||
                              index == firstUserPresetItemIndex() + int(userCount_));
}

int PresetItemIndexes::itemCount() const {
    const int builtIn = builtInCount_ > 0 ? 1 + int(builtInCount_) : 0;
    const int user = userCount_ > 0 ? int(userCount_) + 3 : 0;
    return 1 + builtIn + user;
}

std::optional<std::size_t> PresetItemIndexes::builtInPosition(int index) const {
    const auto first = firstBuiltInPresetItemIndex();
    if (!first || index < *first || index > *lastBuiltInPresetItemIndex()) {
        return std::nullopt;
    }
    return std::size_t(index - *first);
}

std::optional<std::size_t> PresetItemIndexes::userPosition(int index) const {
    if (userCount_ == 0 || index < firstUserPresetItemIndex() ||
        index > lastUserPresetItemIndex()) {
        return std::nullopt;
    }
    return std::size_t(index - firstUserPresetItemIndex());
}

} // namespace orlix
