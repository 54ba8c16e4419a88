#pragma once

#include <QLineEdit>

#include <cstdint>
#include <functional>
#include <optional>

namespace orlix {

// A field for a whole number within bounds, or, when it allows it, no number at all (empty).
// Only digits can be typed. What is typed becomes the field's value when the editing ends
// (Return, or the focus leaving) and the text is a value in bounds; other text stays in the
// field, not delivered, until it is corrected, and `commitEditing` refuses it.
class BoundedNumberField : public QLineEdit {
public:
    BoundedNumberField(std::uint32_t minimum, std::uint32_t maximum, bool allowsEmpty,
                       QWidget* parent = nullptr);

    // The last delivered value; absent for an empty field.
    std::optional<std::uint32_t> value() const { return value_; }
    // Shows a value from outside; delivers nothing.
    void setValue(std::optional<std::uint32_t> value);

    // Delivers the text when it differs from the value. False, with the focus on the field and
    // the text selected, when the text is no value in bounds.
    bool commitEditing();

    // Called with every value the user delivers.
    std::function<void(std::optional<std::uint32_t>)> valueCommitted;

    // Whether the text stands for a value in bounds, and which: none for an empty text.
    bool parse(const QString& text, std::optional<std::uint32_t>& value) const;

private:
    void refuse();

    std::uint32_t minimum_;
    std::uint32_t maximum_;
    bool allowsEmpty_;
    std::optional<std::uint32_t> value_;
};

} // namespace orlix
