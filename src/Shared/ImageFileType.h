#pragma once

#include "Platform/Url.h"

#include <vector>

namespace orlix {

// Which image format a file is, judged by its name as the desktop does.
class ImageFileType {
public:
    // A file URL ending in ".png", in any case.
    static bool isPNGFile(const Url& url);
    // A file URL ending in ".jpeg" or ".jpg", in any case.
    static bool isJPEGFile(const Url& url);
    // The PNG and JPEG file URLs of the list, in order.
    static std::vector<Url> supportedImageURLs(const std::vector<Url>& urls);
};

} // namespace orlix
