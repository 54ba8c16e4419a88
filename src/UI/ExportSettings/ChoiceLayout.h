#pragma once

#include <QList>

#include <functional>

class QObject;
class QRadioButton;
class QWidget;

namespace orlix {

// Lays out a pane that chooses with radio buttons in a row which of its tabs is shown below
// them; a click on a radio button calls `clicked` with that button.
void layOutChoice(QWidget* pane, const QList<QRadioButton*>& radios, QWidget* tabs,
                  const std::function<void(QObject* sender)>& clicked);

} // namespace orlix
