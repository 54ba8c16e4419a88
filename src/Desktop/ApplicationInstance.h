#pragma once

#include <chrono>
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
    // The result paths of a notification the user clicked after the desktop kept it (Orlix may
    // have been started for the click); on the main thread.
    using RevealHandler = std::function<void(const std::vector<std::string>& resultPaths)>;
    // True while this instance is quitting: it then refuses every request, so that the launch
    // that sent it runs on its own instead of handing its files to a program on its way out.
    using QuittingCheck = std::function<bool()>;

    virtual ~ApplicationInstance() = default;
    // True when this process now is the one instance; false when another one runs.
    virtual bool claim() = 0;
    virtual void setOpenHandler(OpenHandler handler) = 0;
    virtual void setActivateHandler(ActivateHandler handler) = 0;
    virtual void setRevealResultFilesHandler(RevealHandler handler) = 0;
    virtual void setQuittingCheck(QuittingCheck check) = 0;
    // From a later launch: hands the files and this launch's arguments to the running instance
    // (or only activates it when there are none), waiting for its answer until `deadline`. False
    // when it could not be reached, refused, or did not answer in time. The request carries its
    // deadline, a moment before the given one: an instance that reads it later drops it, since
    // this launch runs the files itself by then.
    virtual bool forward(const std::vector<std::string>& paths,
                         const std::vector<std::string>& arguments,
                         std::chrono::system_clock::time_point deadline) = 0;
    // From a later launch whose request was refused: returns once no instance owns the session's
    // name, or when the timeout has passed; true when the name is free.
    virtual bool waitUntilReleased(std::chrono::milliseconds timeout) = 0;

    // From a later launch: forwards, and when that fails waits for the running instance to go,
    // all within `limit`; true when the files were handed over. An instance that does not answer
    // gets the first seconds of the limit to take the request.
    bool handOver(const std::vector<std::string>& paths, const std::vector<std::string>& arguments,
                  std::chrono::milliseconds limit);
    static constexpr std::chrono::milliseconds kAnswerWait{5000};
};

} // namespace orlix
