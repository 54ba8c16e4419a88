#pragma once

#include "Export/ImageUtilsProtocol.h"
#include "Platform/Expected.h"

#include <chrono>
#include <filesystem>
#include <functional>

namespace orlix {

// The export engine's way to orlix-image-utils, the process that quantises and recompresses PNG
// images so that their heavy work runs outside the application. One service runs per client
// process, started on the first call and ended by terminate() or by the client's death.
//
// A call waits for its reply as long as the service lives, however long the work takes; the
// service's own state decides, never a time limit. A service found stopped is killed and
// replaced. A call whose service went away, however it went, is made once more on a new one,
// one such call at a time.
class ImageUtilsConnection {
public:
    using Frame = imageutils::Frame;
    // True while the work the call is for goes on.
    using KeepGoing = std::function<bool()>;

    // couldNotConnect: no service can be had (program missing, does not start within the start
    // timeout, refuses connections) or the request cannot be sent at all (not a request type, or
    // larger than a frame may be). failed: the service went away under the call twice (it died,
    // was killed, or was found stopped), or once when the work stopped going on meanwhile, or a
    // living service closed the connection or gave a broken or unexpected reply. terminated:
    // terminate() ended the service while the call waited.
    enum class Failure { couldNotConnect, failed, terminated };

    // One short-lived connection per call: connects (starting the service when none runs for this
    // process), sends `request` and waits for its reply. Many threads may call at once; each gets
    // its own socket and only one of them starts the service. A call that loses its service is
    // sent once more to a new one, after the other calls made once more, unless `keepGoing`
    // answers false by then.
    static Expected<Frame, Failure> call(const Frame& request, const KeepGoing& keepGoing = {});

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
