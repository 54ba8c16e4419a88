#pragma once

#include <QWidget>

#include <cstdint>
#include <functional>
#include <map>

class QCheckBox;

namespace orlix {

class PNGExportTypeSettingsViewControllerDelegate;

// The PNG options: a higher-quality palette and smaller files (Zopfli). Every set of a flag, from
// its check box or from code, also one that changes nothing, tells the delegate first and then
// the observers.
class PNGExportTypeSettingsViewController : public QWidget {
public:
    enum class Key { higherQuality, smallerFilesize };
    using Observer =
        std::function<void(PNGExportTypeSettingsViewController& pane, Key key, bool value)>;
    class Synchronizer;

    explicit PNGExportTypeSettingsViewController(QWidget* parent = nullptr);

    void setDelegate(PNGExportTypeSettingsViewControllerDelegate* delegate) {
        delegate_ = delegate;
    }
    bool externalDataPushInProgress() const { return externalDataPushInProgress_; }

    bool higherQuality() const { return higherQuality_; }
    bool smallerFilesize() const { return smallerFilesize_; }
    void setHigherQuality(bool value) { setValue(Key::higherQuality, value); }
    void setSmallerFilesize(bool value) { setValue(Key::smallerFilesize, value); }
    void setValue(Key key, bool value);

    // Sets both flags as values from outside: the delegate hears of them as not user-initiated.
    void pushSettings(bool higherQuality, bool smallerFilesize);

    int addObserver(Observer observer);
    void removeObserver(int token);

    QCheckBox* higherQualityCheckBox() const { return higherQualityCheckBox_; }
    QCheckBox* smallerFilesizeCheckBox() const { return smallerFilesizeCheckBox_; }

private:
    QCheckBox* checkBox(Key key) const;

    PNGExportTypeSettingsViewControllerDelegate* delegate_ = nullptr;
    bool externalDataPushInProgress_ = false;
    bool higherQuality_ = false;
    bool smallerFilesize_ = false;
    QCheckBox* higherQualityCheckBox_;
    QCheckBox* smallerFilesizeCheckBox_;
    std::map<int, Observer> observers_;
    int nextObserverToken_ = 1;
};

} // namespace orlix
