#include "App/ArgumentsParser.h"

#include "Platform/TextTrimming.h"

#include <algorithm>

namespace orlix {

bool ArgumentsParser::hasArgument(const std::string& switchText) const {
    return std::any_of(arguments_.begin(), arguments_.end(), [&](const std::string& argument) {
        return trimmed(argument, " \t") == switchText;
    });
}

} // namespace orlix
