#pragma once

#include <string>
#include <vector>

namespace orlix {

// Presence tests of switches among the process's arguments, the program's path included.
class ArgumentsParser {
public:
    explicit ArgumentsParser(std::vector<std::string> arguments)
        : arguments_(std::move(arguments)) {}

    // An argument equal to the switch once spaces and tabs around it are dropped; line breaks are
    // kept, and nothing after the switch is read as its value.
    bool hasArgument(const std::string& switchText) const;

private:
    std::vector<std::string> arguments_;
};

} // namespace orlix
