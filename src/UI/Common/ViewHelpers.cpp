#include "UI/Common/ViewHelpers.h"

#include "UI/Common/Palette.h"

#include <QEvent>
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

namespace {

// Marks the layout that pinToSuperview gave a parent, as against one the parent made itself.
const char* const kPinningLayoutName = "pinToSuperview";

// Keeps a view over its parent's rectangle, inset, when the parent's own layout lays out other
// children.
class EdgePin final : public QObject {
public:
    EdgePin(QWidget* view, QMargins insets)
        : QObject(view)
        , view_(view)
        , insets_(insets) {
        view->parentWidget()->installEventFilter(this);
        follow();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // A view moved to another parent leaves this one alone.
        if (event->type() == QEvent::Resize && watched == view_->parentWidget()) {
            follow();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void follow() { view_->setGeometry(view_->parentWidget()->rect().marginsRemoved(insets_)); }

    QWidget* view_;
    QMargins insets_;
};

// A window's geometry is its content's place on the screen; every other widget lies within its
// parent.
QPoint screenOrigin(const QWidget& view) {
    return view.isWindow() ? view.geometry().topLeft()
                           : screenOrigin(*view.parentWidget()) + view.pos();
}

} // namespace

void pinToSuperview(QWidget* view, int left, int top, int right, int bottom) {
    auto* parent = view ? view->parentWidget() : nullptr;
    if (!parent) {
        return;
    }
    QLayout* current = parent->layout();
    if (current && current->objectName() != QLatin1String(kPinningLayoutName)) {
        // Pinned, the view is laid out by its edges alone.
        current->removeWidget(view);
        new EdgePin(view, QMargins(left, top, right, bottom));
        return;
    }
    auto* layout = static_cast<QGridLayout*>(current);
    if (!layout) {
        layout = new QGridLayout(parent);
        layout->setObjectName(QLatin1String(kPinningLayoutName));
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

std::optional<QRect> screenFrame(const QWidget* view) {
    if (!view) {
        return std::nullopt;
    }
    return QRect(screenOrigin(*view), view->size());
}

} // namespace orlix
