#pragma once

#include <utility>

namespace orlix {

// Hears of the PNG options of the export type's tabs, as (higher quality, smaller file size).
class ExportTypeTabViewControllerDelegate {
public:
    virtual void tabPNGSettingsChanged(std::pair<bool, bool> settings, bool userInitiated) = 0;

protected:
    ~ExportTypeTabViewControllerDelegate() = default;
};

} // namespace orlix
