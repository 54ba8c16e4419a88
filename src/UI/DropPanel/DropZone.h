#pragma once

#include "Platform/Url.h"

#include <QMimeData>
#include <QPushButton>

#include <functional>
#include <vector>

namespace orlix {

// One zone of the drop window: takes files dropped on it and clicks.
class DropZone final : public QPushButton {
public:
    using DropHandler = std::function<void(const std::vector<Url>&)>;

    DropZone(const QString& title, DropHandler dropped, std::function<void()> clicked,
             QWidget* parent);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    static std::vector<Url> fileUrls(const QMimeData* data);

    DropHandler dropped_;
};

} // namespace orlix
