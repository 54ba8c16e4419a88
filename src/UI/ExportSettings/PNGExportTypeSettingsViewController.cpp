#include "UI/ExportSettings/PNGExportTypeSettingsViewController.h"

#include "UI/ExportSettings/ExportSettingsText.h"
#include "UI/ExportSettings/PNGExportTypeSettingsViewControllerDelegate.h"

#include <QCheckBox>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <vector>

namespace orlix {

PNGExportTypeSettingsViewController::PNGExportTypeSettingsViewController(QWidget* parent)
    : QWidget(parent)
    , higherQualityCheckBox_(
          new QCheckBox(uiText("Higher &quality (slower)",
                               "Check box of the PNG options: spend more effort on the palette"),
                        this))
    , smallerFilesizeCheckBox_(
          new QCheckBox(uiText("Smaller file si&ze (much slower)",
                               "Check box of the PNG options: recompress the finished file"),
                        this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 4, 0, 4);
    layout->addWidget(higherQualityCheckBox_);
    layout->addWidget(smallerFilesizeCheckBox_);
    layout->addStretch();
    QObject::connect(higherQualityCheckBox_, &QCheckBox::toggled, this,
                     [this](bool checked) { setHigherQuality(checked); });
    QObject::connect(smallerFilesizeCheckBox_, &QCheckBox::toggled, this,
                     [this](bool checked) { setSmallerFilesize(checked); });
}

QCheckBox* PNGExportTypeSettingsViewController::checkBox(Key key) const {
    return key == Key::higherQuality ? higherQualityCheckBox_ : smallerFilesizeCheckBox_;
}

void PNGExportTypeSettingsViewController::setValue(Key key, bool value) {
    (key == Key::higherQuality ? higherQuality_ : smallerFilesize_) = value;
    {
        const QSignalBlocker blocker(checkBox(key));
        checkBox(key)->setChecked(value);
    }
    if (delegate_) {
        delegate_->pngSettingsChanged({higherQuality_, smallerFilesize_},
                                      !externalDataPushInProgress_);
    }
    // Observers may stop observing while they are told.
    std::vector<int> tokens;
    for (const auto& [token, observer] : observers_) {
        tokens.push_back(token);
    }
    for (const int token : tokens) {
        if (const auto found = observers_.find(token); found != observers_.end()) {
            const Observer observer = found->second;
            observer(*this, key, value);
        }
    }
}

void PNGExportTypeSettingsViewController::pushSettings(bool higherQuality, bool smallerFilesize) {
    externalDataPushInProgress_ = true;
    setHigherQuality(higherQuality);
    setSmallerFilesize(smallerFilesize);
    externalDataPushInProgress_ = false;
}

int PNGExportTypeSettingsViewController::addObserver(Observer observer) {
    const int token = nextObserverToken_++;
    observers_.emplace(token, std::move(observer));
    return token;
}

void PNGExportTypeSettingsViewController::removeObserver(int token) {
    observers_.erase(token);
}

} // namespace orlix
