#pragma once

#include <functional>
#include <string>
#include <vector>

namespace orlix {

// One Orlix per user session: the first launch owns the session's name and serves the open
// requests of later launches, which hand their files over and exit.
class ApplicationInstance {
public:
    // Files to open (paths) with the launch arguments that came with them; on the main thread.
    using OpenHandler = std::function<void(const std::vector<std::string>& paths,
                                           const std::vector<std::string>& arguments)>;
    using ActivateHandler = std::function<void()>;

    virtual ~ApplicationInstance() = default;
    // True when this process now is the one instance; false when another one runs.
    virtual bool claim() = 0;
    virtual void setOpenHandler(OpenHandler handler) = 0;
    virtual void setActivateHandler(ActivateHandler handler) = 0;
    // From a later launch: hands the files to the running instance (or only activates it when
    // there are none). False when it could not be reached.
    virtual bool forward(const std::vector<std::string>& paths,
                         const std::vector<std::string>& arguments) = 0;
};

} // namespace orlix
