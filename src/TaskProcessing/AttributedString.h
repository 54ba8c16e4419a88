#pragma once

#include <string>
#include <utility>
#include <vector>

namespace orlix {

// Text in runs that each carry one font. The core only puts it together; the user interface
// supplies its own font type and draws it.
template <typename Font> struct AttributedString {
    struct Run {
        std::string text;
        Font font;

        bool operator==(const Run&) const = default;
    };

    std::vector<Run> runs;

    void append(std::string text, Font font) { runs.push_back({std::move(text), std::move(font)}); }

    std::string string() const {
        std::string joined;
        for (const auto& run : runs) {
            joined += run.text;
        }
        return joined;
    }
};

} // namespace orlix
