#include "UI/Common/ViewHelpers.h"

#include "UI/Common/Palette.h"

#include <QGridLayout>
#include <QLabel>
#include <QWidget>

namespace orlix {

QList<QLabel*> textFieldsInViewTree(QWidget* view) {
    if (!view) {
        return {};
    }
    if (auto* label = qobject_cast<QLabel*>(view);
        label && !(label->textInteractionFlags() & Qt::TextEditable)) {
        return {label};
    }
    QList<QLabel*> fields;
    for (auto* child : view->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        fields += textFieldsInViewTree(child);
    }
    return fields;
}

void recolorTextFields(QWidget* view, bool active) {
    if (!view) {
        return;
    }
    const QColor color = active ? Palette::activeLabel(view->palette()) : Palette::inactiveLabel();
    for (auto* label : textFieldsInViewTree(view)) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, color);
        label->setPalette(palette);
    }
}

void pinToSuperview(QWidget* view, int left, int top, int right, int bottom) {
    auto* parent = view ? view->parentWidget() : nullptr;
    if (!parent) {
        return;
    }
    auto* layout = qobject_cast<QGridLayout*>(parent->layout());
    if (!layout) {
        if (parent->layout()) {
            return;
        }
        layout = new QGridLayout(parent);
        layout->setSpacing(0);
    }
    // One grid cell per parent: views pinned to the same parent lie on top of each other, in the
    // order they were pinned, as with constraints.
    layout->setContentsMargins(left, top, right, bottom);
    layout->addWidget(view, 0, 0);
}

} // namespace orlix
