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

    // The key of a notification's user info under which it carries the paths of the run's
    // outputs.
    static constexpr const char* resultPathsKey = "OXUserNotificationResultPathsKey";
    // Orlix's action that a click on a notification asks for, with that user info as its target,
    // where the desktop keeps the notification after Orlix has gone (and starts Orlix for it).
    static constexpr const char* revealResultFilesAction = "reveal-result-files";

    virtual ~UserNotifier() = default;
    virtual void setActivationHandler(ActivationHandler handler) = 0;
    virtual void deliver(const std::string& title, const std::string& informativeText,
                         const std::vector<std::string>& resultPaths) = 0;
    // Waits until what was delivered has left the process, before a quit.
    virtual void flush() = 0;
};

} // namespace orlix
