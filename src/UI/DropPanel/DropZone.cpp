#include "UI/DropPanel/DropZone.h"

#include "Model/ImageFileType.h"
#include "Platform/MainQueue.h"

#include <QDragEnterEvent>
#include <QMimeData>

namespace orlix {

DropZone::DropZone(const QString& title, DropHandler dropped, std::function<void()> clicked,
                   QWidget* parent)
    : QPushButton(title, parent)
    , dropped_(std::move(dropped)) {
    setAcceptDrops(true);
    setMinimumSize(150, 120);
    connect(this, &QPushButton::clicked, this, [clicked = std::move(clicked)] {
        if (clicked) {
            clicked();
        }
    });
}

std::vector<Url> DropZone::fileUrls(const QMimeData* data) {
    std::vector<Url> urls;
    for (const auto& url : data->urls()) {
        if (url.isLocalFile()) {
            urls.push_back(Url::fileUrl(url.toLocalFile().toStdString()));
        }
    }
    return urls;
}

// A zone that ignored the drag's entry would hear nothing more of it: accept it here and decide
// while it moves.
void DropZone::dragEnterEvent(QDragEnterEvent* event) {
    event->acceptProposedAction();
}

void DropZone::dragMoveEvent(QDragMoveEvent* event) {
    if (ImageFileType::supportedImageURLs(fileUrls(event->mimeData())).empty()) {
        event->ignore();
        return;
    }
    // Copy only: a file manager asked to move would delete the user's files.
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void DropZone::dropEvent(QDropEvent* event) {
    const auto urls = fileUrls(event->mimeData());
    event->setDropAction(Qt::CopyAction);
    event->accept();
    // On the next turn: a modal window must never run inside the drop.
    MainQueue::async([handler = dropped_, urls] {
        if (handler) {
            handler(urls);
        }
    });
}

} // namespace orlix
