#include "UI/DropPanel/NotFirstMouseAcceptingTextField.h"

#include "UI/Common/ApplicationActivatedClickEventDetector.h"

#include <QMouseEvent>

namespace orlix {

NotFirstMouseAcceptingTextField::NotFirstMouseAcceptingTextField(const QString& text,
                                                                 QWidget* parent)
    : QLabel(text, parent) {}

bool NotFirstMouseAcceptingTextField::acceptsFirstMouse(const QMouseEvent* event) const {
    return !(event && ApplicationActivatedClickEventDetector::isActivationClick(event));
}

void NotFirstMouseAcceptingTextField::mousePressEvent(QMouseEvent* event) {
    if (!acceptsFirstMouse(event)) {
        event->accept();
        return;
    }
    QLabel::mousePressEvent(event);
}

} // namespace orlix
