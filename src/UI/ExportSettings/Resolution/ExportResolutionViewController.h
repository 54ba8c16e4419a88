#pragma once

#include "Model/ResolutionConfig.h"
#include "UI/ExportSettings/HeightConstraint.h"

#include <QString>
#include <QWidget>

#include <optional>

class QComboBox;
class QLabel;

namespace orlix {

class ExportResolutionViewControllerDelegate;

// Whether, and how, further output resolutions are made from the defined size: a pop-up with an
// explanation under it for two of its choices, shown or hidden (animated while on screen).
class ExportResolutionViewController : public QWidget {
public:
    // The pop-up's items; the others are separators.
    static constexpr int definedSizeOnlyIndex = 0;
    static constexpr int maxPredefinedSizeIndex = 2;
    static constexpr int minPredefinedSizeIndex = 3;
    static constexpr int maxSupportedResolutionIndex = 5;

    explicit ExportResolutionViewController(QWidget* parent = nullptr);

    void setDelegate(ExportResolutionViewControllerDelegate* delegate) { delegate_ = delegate; }

    std::optional<ResolutionConfig> resolutionConfig() const;
    // Selects the choice as a value from outside: the delegate is not told.
    void pushResolutionConfig(std::optional<ResolutionConfig> resolution);

    // The pop-up's action.
    void generateOtherResolutionsChanged();
    void updateExplanationText();
    void updateExplanationVisibility();

    bool isExplanationShown() const;
    QComboBox* generateOtherResolutionsPopUpButton() const {
        return generateOtherResolutionsPopUpButton_;
    }
    QLabel* explanationLabel() const { return explanationLabel_; }
    const QString& largerResolutionsExplanation() const { return largerResolutionsExplanation_; }
    const QString& maxResolutionSupportedByImageExplanation() const {
        return maxResolutionSupportedByImageExplanation_;
    }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void setExplanationHidden(bool hidden, bool animated);
    void animateExplanationHidden(bool hidden);
    int explanationHeight() const;

    ExportResolutionViewControllerDelegate* delegate_ = nullptr;
    QComboBox* generateOtherResolutionsPopUpButton_;
    QWidget* popUpButtonBottomToExplanationLabelTopSpacer_;
    QLabel* explanationLabel_;
    HeightConstraint popUpButtonBottomToExplanationLabelTopConstraint_;
    int popUpButtonBottomToExplanationLabelTopLengthIfShown_ = 0;
    HeightConstraint explanationLabelHeightConstraint_;
    bool viewOnscreen_ = false;
    bool externalDataPushInProgress_ = false;
    QString largerResolutionsExplanation_;
    QString maxResolutionSupportedByImageExplanation_;
};

} // namespace orlix
