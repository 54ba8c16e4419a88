#pragma once

#include <QWidget>

namespace orlix {

// The options tab of JPEG output: there are none to choose, the quality follows each image.
class JPEGExportTypeSettingsViewController : public QWidget {
public:
    explicit JPEGExportTypeSettingsViewController(QWidget* parent = nullptr);
};

} // namespace orlix
