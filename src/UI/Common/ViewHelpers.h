#pragma once

#include <QList>

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
// views pinned to the same parent. Does nothing without a parent, or when the parent already lays
// out its children some other way.
void pinToSuperview(QWidget* view, int left, int top, int right, int bottom);

} // namespace orlix
