#include "Export/Codec/ImageFile.h"

#include "Export/BitmapImageRep.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>

namespace orlix {

namespace {

// No file of an accepted size needs more: a PNG stores at most eight bytes a pixel even
// uncompressed, and the slack covers its chunk and block framing.
constexpr std::uintmax_t maximumFileSize = BitmapImageRep::maximumPixelCount * 8 + 64 * 1024 * 1024;

bool isReadablePicture(int descriptor) {
    struct stat facts {};
    return ::fstat(descriptor, &facts) == 0 && S_ISREG(facts.st_mode) && facts.st_size >= 0 &&
           static_cast<std::uintmax_t>(facts.st_size) <= maximumFileSize;
}

} // namespace

ImageFile::Handle ImageFile::open(const std::filesystem::path& path) {
    Handle file(nullptr, std::fclose);
    // Without O_NONBLOCK, opening a pipe waits for a writer that may never come; without
    // O_NOCTTY, a terminal named as an image could become Orlix's own, whose hang-up ends it.
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0) {
        return file;
    }
    // A regular file is then read as any other: the flag is taken off again.
    if (!isReadablePicture(descriptor) || ::fcntl(descriptor, F_SETFL, 0) != 0) {
        ::close(descriptor);
        return file;
    }
    file.reset(::fdopen(descriptor, "rb"));
    if (!file) {
        ::close(descriptor);
    }
    return file;
}

} // namespace orlix
