#pragma once

#include "UI/ExportSettings/PNGExportTypeSettingsViewController.h"

#include <QPointer>

#include <utility>
#include <vector>

namespace orlix {

// Keeps the flags of several PNG options panes equal: a set in one is repeated in the others.
class PNGExportTypeSettingsViewController::Synchronizer {
public:
    explicit Synchronizer(std::vector<PNGExportTypeSettingsViewController*> synchronized);
    Synchronizer(const Synchronizer&) = delete;
    Synchronizer& operator=(const Synchronizer&) = delete;
    ~Synchronizer();

    // Ends the mirroring.
    void stop();

private:
    void observeValue(PNGExportTypeSettingsViewController& pane, Key key, bool value);

    std::vector<std::pair<QPointer<PNGExportTypeSettingsViewController>, int>> synchronized_;
    bool synchronizing_ = false;
};

} // namespace orlix
