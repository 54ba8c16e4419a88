#pragma once

#include <QDialog>

#include <optional>
#include <string>
#include <vector>

class QListWidget;

namespace orlix {

// The sheet that lists the user's presets for deletion; confirming ends it with 1 and, when
// titles were selected, their positions in ascending order. Cancel ends it with 0.
class DeletePresetsWindowController : public QDialog {
public:
    explicit DeletePresetsWindowController(QWidget* parent);

    const std::vector<std::string>& uiPresetTitles() const { return uiPresetTitles_; }
    void setUIPresetTitles(std::vector<std::string> titles);
    const std::optional<std::vector<int>>& deletedPresetIndexes() const {
        return deletedPresetIndexes_;
    }

    void doDeleteSelectedPresets();
    void doCancel();

    QListWidget* presetList() const { return presetList_; }

private:
    std::optional<std::vector<int>> deletedPresetIndexes_;
    std::vector<std::string> uiPresetTitles_;
    QListWidget* presetList_;
};

} // namespace orlix
