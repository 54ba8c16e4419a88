#pragma once

#include <QWidget>

#include <cstdint>

namespace orlix {

class BoundedNumberField;
class PercentageResizeViewControllerDelegate;

// Resizing by a percentage of the source, 10 to 100; every set is reported, also of an unchanged
// value.
class PercentageResizeViewController : public QWidget {
public:
    static constexpr std::uint8_t minPercentage = 10;
    static constexpr std::uint8_t maxPercentage = 100;

    explicit PercentageResizeViewController(QWidget* parent = nullptr);

    void setDelegate(PercentageResizeViewControllerDelegate* delegate) { delegate_ = delegate; }
    void setExternalDataPushInProgress(bool inProgress) {
        externalDataPushInProgress_ = inProgress;
    }

    std::uint8_t resizePercentage() const { return resizePercentage_; }
    // Stored as given: the field keeps the user's value within the bounds.
    void setResizePercentage(std::uint8_t percentage);

    BoundedNumberField* percentageField() const { return percentageField_; }

private:
    PercentageResizeViewControllerDelegate* delegate_ = nullptr;
    bool externalDataPushInProgress_ = false;
    std::uint8_t resizePercentage_ = 100;
    BoundedNumberField* percentageField_;
};

} // namespace orlix
