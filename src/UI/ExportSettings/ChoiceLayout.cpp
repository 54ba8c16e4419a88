#include "UI/ExportSettings/ChoiceLayout.h"

#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

namespace orlix {

void layOutChoice(QWidget* pane, const QList<QRadioButton*>& radios, QWidget* tabs,
                  const std::function<void(QObject* sender)>& clicked) {
    auto* row = new QHBoxLayout;
    for (auto* radio : radios) {
        row->addWidget(radio);
        QObject::connect(radio, &QRadioButton::clicked, pane, [radio, clicked] { clicked(radio); });
    }
    row->addStretch();
    auto* layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(row);
    layout->addWidget(tabs);
}

} // namespace orlix
