#include "UI/ExportSettings/ExportResizeTabViewController.h"

#include "UI/ExportSettings/FixedResizeViewController.h"
#include "UI/ExportSettings/PercentageResizeViewController.h"

namespace orlix {

ExportResizeTabViewController::ExportResizeTabViewController(QWidget* parent)
    : AnimatedConstraintTabViewController(parent)
    , percentagePane_(new PercentageResizeViewController(this))
    , fixedPane_(new FixedResizeViewController(this)) {
    addWidget(percentagePane_);
    addWidget(fixedPane_);
    viewDidLoad();
}

} // namespace orlix
