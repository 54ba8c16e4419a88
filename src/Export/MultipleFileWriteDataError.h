#pragma once

#include "Export/FileWriteDataError.h"
#include "Platform/Url.h"

#include <vector>

namespace orlix {

// Every attempt of one write that could not create its file, in the order the attempts were made.
struct MultipleFileWriteDataError {
    struct Entry {
        Url url;
        FileWriteDataError error;

        bool operator==(const Entry&) const = default;
    };

    std::vector<Entry> errors;
};

} // namespace orlix
