#include "UI/ExportSettings/PNGExportTypeSettingsViewControllerSynchronizer.h"

namespace orlix {

PNGExportTypeSettingsViewController::Synchronizer::Synchronizer(
    std::vector<PNGExportTypeSettingsViewController*> synchronized) {
    for (auto* pane : synchronized) {
        const int token =
            pane->addObserver([this](PNGExportTypeSettingsViewController& observed, Key key,
                                     bool value) { observeValue(observed, key, value); });
        synchronized_.emplace_back(pane, token);
    }
}

PNGExportTypeSettingsViewController::Synchronizer::~Synchronizer() {
    stop();
}

void PNGExportTypeSettingsViewController::Synchronizer::stop() {
    for (const auto& [pane, token] : synchronized_) {
        if (pane) {
            pane->removeObserver(token);
        }
    }
    synchronized_.clear();
}

void PNGExportTypeSettingsViewController::Synchronizer::observeValue(
    PNGExportTypeSettingsViewController& observed, Key key, bool value) {
    if (synchronizing_) {
        return;
    }
    synchronizing_ = true;
    // A copy: a pane told of the set may stop the mirroring.
    const auto panes = synchronized_;
    for (const auto& [pane, token] : panes) {
        if (pane && pane.data() != &observed) {
            pane->setValue(key, value);
        }
    }
    synchronizing_ = false;
}

} // namespace orlix
