#pragma once

#include "UI/ExportSettings/AnimatedConstraintTabViewController.h"

namespace orlix {

class FixedResizeViewController;
class PercentageResizeViewController;

// The two ways of resizing as tabs: 0 by percentage, 1 to a fixed size.
class ExportResizeTabViewController : public AnimatedConstraintTabViewController {
public:
    explicit ExportResizeTabViewController(QWidget* parent = nullptr);

    PercentageResizeViewController* percentagePane() const { return percentagePane_; }
    FixedResizeViewController* fixedPane() const { return fixedPane_; }

private:
    PercentageResizeViewController* percentagePane_;
    FixedResizeViewController* fixedPane_;
};

} // namespace orlix
