#include "UI/DropPanel/NotFirstMouseAcceptingTextField.h"

#include "UI/Common/ApplicationActivatedClickEventDetector.h"

#include <QMouseEvent>

namespace orlix {

NotFirstMouseAcceptingTextField::NotFirstMouseAcceptingTextField(const QString& text,
                                                                 QWidget* parent)
    : QLabel(text, parent) {
    // Moves over the label reach it, which passes them on to the view below: a pointer resting on
    // a zone's text rests on the zone.
    setMouseTracking(true);
}

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
