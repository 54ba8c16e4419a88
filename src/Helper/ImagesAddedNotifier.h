#pragma once

#include "Desktop/DistributedNotificationCenter.h"

#include <string>
#include <vector>

namespace orlix::helper {

// Tells the running main application which files to add and how.
struct ImagesAddedNotifier {
    std::vector<std::string> paths;
    std::vector<std::string> arguments;

    void post(DistributedNotificationCenter& center) const;
};

} // namespace orlix::helper
