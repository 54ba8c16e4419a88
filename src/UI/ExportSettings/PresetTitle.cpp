#include "UI/ExportSettings/PresetTitle.h"

#include <QString>

namespace orlix {

std::string PresetTitle::normalized(std::string_view title) {
    return QString::fromUtf8(title.data(), qsizetype(title.size()))
        .normalized(QString::NormalizationForm_C)
        .toStdString();
}

bool PresetTitle::equal(std::string_view a, std::string_view b) {
    return a == b || normalized(a) == normalized(b);
}

bool PresetTitle::less(std::string_view a, std::string_view b) {
    // The byte order of UTF-8 is the order of its code points.
    return normalized(a) < normalized(b);
}

std::string PresetTitle::trimmed(std::string_view title) {
    const auto first = title.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = title.find_last_not_of(" \t");
    return std::string(title.substr(first, last - first + 1));
}

} // namespace orlix
