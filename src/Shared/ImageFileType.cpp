#include "Shared/ImageFileType.h"

#include <algorithm>
#include <iterator>

namespace orlix {

bool ImageFileType::isPNGFile(const Url& url) {
    return url.isFileUrl() && url.pathExtensionEquals("png");
}

bool ImageFileType::isJPEGFile(const Url& url) {
    return url.isFileUrl() && (url.pathExtensionEquals("jpeg") || url.pathExtensionEquals("jpg"));
}

std::vector<Url> ImageFileType::supportedImageURLs(const std::vector<Url>& urls) {
    std::vector<Url> supported;
    std::copy_if(urls.begin(), urls.end(), std::back_inserter(supported),
                 [](const Url& url) { return isPNGFile(url) || isJPEGFile(url); });
    return supported;
}

} // namespace orlix
