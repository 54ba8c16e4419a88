#pragma once

#include "Platform/Url.h"

#include <vector>

class QMimeData;

namespace orlix {

// The local file URLs a drag or clipboard carries (its "text/uri-list"), in order. Nothing is
// checked beyond the URL itself: folders, files of any type and repeats all stay; text that is
// not a URL, and file URLs naming another host, are not local files and are left out. Filter
// with ImageFileType::supportedImageURLs where only images may pass.
std::vector<Url> fileURLsFromPasteboard(const QMimeData* pasteboard);

} // namespace orlix
