#include "TaskProcessing/LocalizedFormat.h"

#include <array>

namespace orlix {

std::string localizedFormat(std::string_view format, std::string_view argument) {
    static constexpr std::array<std::string_view, 4> conversions{"%d", "%@", "%1$d", "%1$@"};
    std::string result;
    result.reserve(format.size() + argument.size());
    bool filled = false;
    std::size_t position = 0;
    while (position < format.size()) {
        const auto percent = format.find('%', position);
        if (percent == std::string_view::npos) {
            result.append(format.substr(position));
            break;
        }
        result.append(format.substr(position, percent - position));
        const auto rest = format.substr(percent);
        if (rest.starts_with("%%")) {
            result.push_back('%');
            position = percent + 2;
            continue;
        }
        std::size_t consumed = 1;
        for (const auto conversion : conversions) {
            if (!filled && rest.starts_with(conversion)) {
                consumed = conversion.size();
                break;
            }
        }
        if (consumed > 1) {
            result.append(argument);
            filled = true;
        } else {
            result.push_back('%');
        }
        position = percent + consumed;
    }
    return result;
}

} // namespace orlix
