#pragma once

#include "Platform/Url.h"

namespace orlix {

// Which image format a file is, judged by its name as the desktop does.
class ImageFileType {
public:
    // A file URL ending in ".png", in any case.
    static bool isPNGFile(const Url& url);
    // A file URL ending in ".jpeg" or ".jpg", in any case.
    static bool isJPEGFile(const Url& url);
};

} // namespace orlix
