#pragma once

#include <cstdint>

namespace orlix {

class PercentageResizeViewControllerDelegate {
public:
    virtual void percentageResizeChanged(std::uint8_t percentage, bool userInitiated) = 0;

protected:
    ~PercentageResizeViewControllerDelegate() = default;
};

} // namespace orlix
