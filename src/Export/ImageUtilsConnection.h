#pragma once

#include "Export/ImageUtilsProtocol.h"
#include "Platform/Expected.h"

#include <filesystem>

namespace orlix {

// The export engine's way to orlix-image-utils, the process that quantises and recompresses PNG
// images so that their heavy work runs outside the application. One service runs per client
// process, started on the first call and ended by terminate() or by the client's death.
class ImageUtilsConnection {
public:
    using Frame = imageutils::Frame;

    // couldNotConnect: no service can be had (program missing, does not start within the start
    // timeout, refuses connections) or the request cannot be sent at all (not a request type, or
    // larger than a frame may be). interrupted: the connection dropped, ended or carried a broken
    // or unexpected reply while the call waited - what a terminate does to calls in flight.
    enum class Failure { couldNotConnect, interrupted };

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
};

} // namespace orlix
