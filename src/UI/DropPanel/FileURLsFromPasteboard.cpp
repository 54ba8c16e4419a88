#include "UI/DropPanel/FileURLsFromPasteboard.h"

#include <QByteArray>
#include <QList>
#include <QMimeData>

namespace orlix {

namespace {

constexpr auto uriListType = "text/uri-list";

} // namespace

// Read from the list's own bytes rather than through QUrl, so that every URL is judged by the
// same rules as a URL on the command line.
std::vector<Url> fileURLsFromPasteboard(const QMimeData* pasteboard) {
    std::vector<Url> urls;
    if (!pasteboard || !pasteboard->hasFormat(QString::fromLatin1(uriListType))) {
        return urls;
    }
    const QByteArray list = pasteboard->data(QString::fromLatin1(uriListType));
    for (const QByteArray& line : list.split('\n')) {
        const QByteArray item = line.trimmed();
        if (item.isEmpty() || item.startsWith('#')) {
            continue;
        }
        const auto url = Url::parse(item.toStdString());
        if (url && url->isFileUrl()) {
            urls.push_back(*url);
        }
    }
    return urls;
}

} // namespace orlix
