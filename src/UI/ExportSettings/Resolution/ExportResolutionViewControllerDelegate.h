#pragma once

#include "Model/ResolutionConfig.h"

#include <optional>

namespace orlix {

class ExportResolutionViewControllerDelegate {
public:
    virtual void exportResolutionChanged(std::optional<ResolutionConfig> resolution,
                                         bool userInitiated) = 0;

protected:
    ~ExportResolutionViewControllerDelegate() = default;
};

} // namespace orlix
