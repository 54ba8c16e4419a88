#pragma once

#include "UI/ExportSettings/FixedResizeUIType.h"

#include <QWidget>

#include <cstdint>
#include <optional>

namespace orlix {

class BoundedNumberField;
class FixedResizeViewControllerDelegate;

// Resizing to a fixed width and/or height, each 1 to 32000 pixels; an empty field is chosen
// from the other side and the source's proportions.
class FixedResizeViewController : public QWidget {
public:
    static constexpr std::uint32_t minWidth = 1;
    static constexpr std::uint32_t maxWidth = 32000;
    static constexpr std::uint32_t minHeight = 1;
    static constexpr std::uint32_t maxHeight = 32000;

    explicit FixedResizeViewController(QWidget* parent = nullptr);

    void setDelegate(FixedResizeViewControllerDelegate* delegate) { delegate_ = delegate; }

    std::optional<std::uint32_t> resizeWidth() const { return resizeWidth_; }
    std::optional<std::uint32_t> resizeHeight() const { return resizeHeight_; }
    // Each set is reported, the width's before the height's when both change.
    void setResizeWidth(std::optional<std::uint32_t> width);
    void setResizeHeight(std::optional<std::uint32_t> height);

    FixedResizeUIType fixedResizeUIType() const { return {resizeWidth_, resizeHeight_}; }
    // A value from outside: reported as not user-initiated.
    void setFixedResizeUIType(const FixedResizeUIType& type);

    BoundedNumberField* widthField() const { return widthField_; }
    BoundedNumberField* heightField() const { return heightField_; }

private:
    void notifyDelegate();

    FixedResizeViewControllerDelegate* delegate_ = nullptr;
    bool externalDataPushInProgress_ = false;
    std::optional<std::uint32_t> resizeWidth_;
    std::optional<std::uint32_t> resizeHeight_;
    BoundedNumberField* widthField_;
    BoundedNumberField* heightField_;
};

} // namespace orlix
