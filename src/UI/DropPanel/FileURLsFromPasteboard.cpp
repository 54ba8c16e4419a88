#include "UI/DropPanel/FileURLsFromPasteboard.h"

#include "Shared/UriList.h"

#include <QByteArray>
#include <QMimeData>

#include <string_view>

namespace orlix {

namespace {

constexpr auto uriListType = "text/uri-list";

} // namespace

// Read from the list's own bytes rather than through QUrl, by the reader the helper's drags use.
std::vector<Url> fileURLsFromPasteboard(const QMimeData* pasteboard) {
    if (!pasteboard || !pasteboard->hasFormat(QString::fromLatin1(uriListType))) {
        return {};
    }
    const QByteArray list = pasteboard->data(QString::fromLatin1(uriListType));
    return UriList::fileUrls(std::string_view(list.constData(), std::size_t(list.size())));
}

} // namespace orlix
