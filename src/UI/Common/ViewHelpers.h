#pragma once

#include <QList>
#include <QRect>

#include <optional>

class QColor;
class QLabel;
class QWidget;

namespace orlix {

// The static texts of a widget tree, depth first, a widget before its children; a label's own
// children are not searched. Used to grey a panel's texts while the application is inactive.
QList<QLabel*> textFieldsInViewTree(QWidget* view);

// Draws the static texts of a widget tree in the label colour while the application is active and
// in light grey while it is not.
void recolorTextFields(QWidget* view, bool active);
// Draws the static texts of a widget tree in `color`.
void setTextFieldsColor(QWidget* view, const QColor& color);

// Makes `view` fill its parent, each edge moved inwards by its own inset, independently of other
// views pinned to the same parent; views pinned later lie above those pinned earlier. A parent
// without a layout of its own takes its size from the views pinned to it; when it lays out other
// children already, the view follows the parent's size but plays no part in it. Does nothing
// without a parent.
void pinToSuperview(QWidget* view, int left, int top, int right, int bottom);

// Where `view` lies on the screen: its window's place plus the positions of the view and of every
// widget between them, with the view's size; scrolled contents are not taken into account. Every
// widget lies in a window (perhaps one not shown yet, which is shown where it says): only no view
// has no frame.
std::optional<QRect> screenFrame(const QWidget* view);

} // namespace orlix
