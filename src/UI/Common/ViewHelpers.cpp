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
    if (view) {
        setTextFieldsColor(view, active ? Palette::activeLabel(view->palette())
                                        : Palette::inactiveLabel());
    }
}

void setTextFieldsColor(QWidget* view, const QColor& color) {
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
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
    }
    // One grid cell per parent, with a layout of its own per view for its insets: views pinned to
    // the same parent lie on top of each other, in the order they were pinned, as with
    // constraints, and the parent still takes its size from them.
    auto* insets = new QGridLayout;
    insets->setContentsMargins(left, top, right, bottom);
    insets->addWidget(view, 0, 0);
    layout->addLayout(insets, 0, 0);
}

} // namespace orlix
