#pragma once

#include <functional>
#include <string>
#include <vector>

namespace orlix {

// Desktop notifications that the user can click to see the files a run produced.
class UserNotifier {
public:
    // Called on the main thread with the paths a clicked notification carried.
    using ActivationHandler = std::function<void(const std::vector<std::string>& resultPaths)>;

    virtual ~UserNotifier() = default;
    virtual void setActivationHandler(ActivationHandler handler) = 0;
    virtual void deliver(const std::string& title, const std::string& informativeText,
                         const std::vector<std::string>& resultPaths) = 0;
    // Waits until what was delivered has left the process, before a quit.
    virtual void flush() = 0;
};

} // namespace orlix
