#include "Model/ImageFileType.h"

namespace orlix {

bool ImageFileType::isPNGFile(const Url& url) {
    return url.isFileUrl() && url.pathExtensionEquals("png");
}

bool ImageFileType::isJPEGFile(const Url& url) {
    return url.isFileUrl() && (url.pathExtensionEquals("jpeg") || url.pathExtensionEquals("jpg"));
}

} // namespace orlix
