#pragma once

#include "Export/ImageUtilsProtocol.h"
#include "Platform/Expected.h"

#include <chrono>
#include <filesystem>

namespace orlix {

// The export engine's way to orlix-image-utils, the process that quantises and recompresses PNG
// images so that their heavy work runs outside the application. One service runs per client
// process, started on the first call and ended by terminate() or by the client's death.
//
// A call waits for its reply as long as the service lives, however long the work takes; the
// service's own state decides, never a time limit. A service found stopped is killed and
// replaced, and the calls that the replacement cut are made once more on the new service.
class ImageUtilsConnection {
public:
    using Frame = imageutils::Frame;

    // couldNotConnect: no service can be had (program missing, does not start within the start
    // timeout, refuses connections) or the request cannot be sent at all (not a request type, or
    // larger than a frame may be). failed: the service died, was found stopped, closed the
    // connection or gave a broken or unexpected reply. terminated: terminate() ended the service
    // while the call waited.
    enum class Failure { couldNotConnect, failed, terminated };

    // One short-lived connection per call: connects (starting the service when none runs for this
    // process), sends `request` and waits for its reply. Many threads may call at once; each gets
    // its own socket and only one of them starts the service.
    static Expected<Frame, Failure> call(const Frame& request);

    // Asks a service started by this process, if one runs, to stop at once; never starts one.
    // Returns within about two seconds at most; a service that does not stop is killed, so that
    // the next call starts a fresh one.
    static void terminate() noexcept;

    // The service program; empty restores the default: orlix-image-utils beside this program,
    // else <program folder>/../libexec/orlix/orlix-image-utils.
    static void setServiceExecutable(std::filesystem::path path);

    // How often a waiting call looks at the service's state (tests shorten it).
    static void setLivenessCheckInterval(std::chrono::milliseconds interval);
    static constexpr std::chrono::milliseconds defaultLivenessCheckInterval{500};
};

} // namespace orlix
