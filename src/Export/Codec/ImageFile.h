#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>

namespace orlix {

// The one way an input image is opened, for its header, its pixels and its thumbnail alike. The
// open never waits: a pipe, a socket, a device or a folder at the path (also through a link) is
// refused at once, as a file that cannot be read, and so is a file larger than any picture within
// the size limit could be. Only such refusals come back empty; a regular file is read as usual.
class ImageFile {
public:
    using Handle = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

    static Handle open(const std::filesystem::path& path);
};

} // namespace orlix
