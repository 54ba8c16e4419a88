#pragma once

#include "Platform/Url.h"

#include <vector>

namespace orlix {

// Shows files selected in the desktop's file manager.
class FileRevealer {
public:
    virtual ~FileRevealer() = default;
    virtual void reveal(const std::vector<Url>& urls) = 0;
    // Waits until the request has left the process, before a quit.
    virtual void flush() = 0;
};

} // namespace orlix
