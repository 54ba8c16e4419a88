#pragma once

#include "UI/ExportSettings/FixedResizeUIType.h"

namespace orlix {

class FixedResizeViewControllerDelegate {
public:
    virtual void fixedResizeChanged(const FixedResizeUIType& type, bool userInitiated) = 0;

protected:
    ~FixedResizeViewControllerDelegate() = default;
};

} // namespace orlix
