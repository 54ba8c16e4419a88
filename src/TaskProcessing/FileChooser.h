#pragma once

#include "Platform/Url.h"

#include <optional>
#include <vector>

namespace orlix {

// A modal chooser of PNG and JPEG files, several at once.
class FileChooser {
public:
    virtual ~FileChooser() = default;
    // The chosen files, or nothing when the user cancelled.
    virtual std::optional<std::vector<Url>> runModal() = 0;
};

} // namespace orlix
