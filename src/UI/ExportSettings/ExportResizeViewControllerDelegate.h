#pragma once

#include "Model/ResizeConfig.h"

namespace orlix {

class ExportResizeViewControllerDelegate {
public:
    virtual void exportResizeChanged(const ResizeConfig& resize, bool userInitiated) = 0;

protected:
    ~ExportResizeViewControllerDelegate() = default;
};

} // namespace orlix
