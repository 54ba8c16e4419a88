#pragma once

#include "Model/ExportFormat.h"

namespace orlix {

class ExportTypeViewControllerDelegate {
public:
    virtual void exportFormatChanged(const ExportFormat& format, bool userInitiated) = 0;

protected:
    ~ExportTypeViewControllerDelegate() = default;
};

} // namespace orlix
