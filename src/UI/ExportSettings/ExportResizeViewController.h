#pragma once

#include "Model/ResizeConfig.h"
#include "UI/ExportSettings/FixedResizeViewControllerDelegate.h"
#include "UI/ExportSettings/HeightConstraint.h"
#include "UI/ExportSettings/PercentageResizeViewControllerDelegate.h"

#include <QWidget>

class QRadioButton;

namespace orlix {

class ExportResizeTabViewController;
class ExportResizeViewControllerDelegate;

// The resize: by a percentage or to a fixed size, with the chosen way's pane below. Each pane
// keeps its values while the other is chosen. Values pushed from outside are reported to the
// delegate as not user-initiated.
class ExportResizeViewController : public QWidget,
                                   public PercentageResizeViewControllerDelegate,
                                   public FixedResizeViewControllerDelegate {
public:
    enum class UIResizeType { percentage = 0, fixed = 1 };

    explicit ExportResizeViewController(QWidget* parent = nullptr);

    void setDelegate(ExportResizeViewControllerDelegate* delegate) { delegate_ = delegate; }
    UIResizeType uiResizeType() const { return uiResizeType_; }

    ResizeConfig resizeConfig() const;
    // The percentage tab shows every resize that is not a fixed size, 100 % for the others.
    void setResizeConfig(const ResizeConfig& resize);

    // The action of the two radio buttons.
    void resizeTypeChanged(QObject* sender);

    void percentageResizeChanged(std::uint8_t percentage, bool userInitiated) override;
    void fixedResizeChanged(const FixedResizeUIType& type, bool userInitiated) override;

    ExportResizeTabViewController* exportResizeTabViewController() const {
        return exportResizeTabViewController_;
    }
    QRadioButton* radioButton(UIResizeType type) const;

private:
    void select(UIResizeType type);
    void notifyDelegate(bool userInitiated);

    QRadioButton* resizeTypePercentageRadioButton_;
    QRadioButton* resizeTypeFixedRadioButton_;
    ExportResizeTabViewController* exportResizeTabViewController_;
    HeightConstraint tabViewHeightConstraint_;
    bool externalDataPushInProgress_ = false;
    ExportResizeViewControllerDelegate* delegate_ = nullptr;
    UIResizeType uiResizeType_ = UIResizeType::percentage;
};

} // namespace orlix
