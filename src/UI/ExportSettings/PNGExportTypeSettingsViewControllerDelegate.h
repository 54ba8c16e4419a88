#pragma once

#include <utility>

namespace orlix {

// Hears of every set of a PNG options pane's flags, as (higher quality, smaller file size).
class PNGExportTypeSettingsViewControllerDelegate {
public:
    virtual void pngSettingsChanged(std::pair<bool, bool> settings, bool userInitiated) = 0;

protected:
    ~PNGExportTypeSettingsViewControllerDelegate() = default;
};

} // namespace orlix
