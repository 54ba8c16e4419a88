#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace orlix {

// A property-list value: what the preferences store keeps under a key. Integers and reals are
// both "numbers"; a boolean is not a number.
class PropertyList {
public:
    using Array = std::vector<PropertyList>;
    using Dictionary = std::map<std::string, PropertyList>;
    using Data = std::vector<std::uint8_t>;

    PropertyList()
        : value_(Dictionary{}) {}
    PropertyList(bool value)
        : value_(value) {}
    PropertyList(int value)
        : value_(std::int64_t{value}) {}
    PropertyList(unsigned value)
        : value_(std::int64_t{value}) {}
    PropertyList(std::int64_t value)
        : value_(value) {}
    PropertyList(double value)
        : value_(value) {}
    PropertyList(const char* value)
        : value_(std::string(value)) {}
    PropertyList(std::string value)
        : value_(std::move(value)) {}
    PropertyList(Data value)
        : value_(std::move(value)) {}
    PropertyList(Array value)
        : value_(std::move(value)) {}
    PropertyList(Dictionary value)
        : value_(std::move(value)) {}

    bool isBool() const { return std::holds_alternative<bool>(value_); }
    bool isInteger() const { return std::holds_alternative<std::int64_t>(value_); }
    bool isReal() const { return std::holds_alternative<double>(value_); }
    bool isNumber() const { return isInteger() || isReal(); }
    bool isString() const { return std::holds_alternative<std::string>(value_); }
    bool isData() const { return std::holds_alternative<Data>(value_); }
    bool isArray() const { return std::holds_alternative<Array>(value_); }
    bool isDictionary() const { return std::holds_alternative<Dictionary>(value_); }

    const bool* boolValue() const { return std::get_if<bool>(&value_); }
    const std::int64_t* integerValue() const { return std::get_if<std::int64_t>(&value_); }
    const double* realValue() const { return std::get_if<double>(&value_); }
    const std::string* stringValue() const { return std::get_if<std::string>(&value_); }
    const Data* dataValue() const { return std::get_if<Data>(&value_); }
    const Array* arrayValue() const { return std::get_if<Array>(&value_); }
    const Dictionary* dictionaryValue() const { return std::get_if<Dictionary>(&value_); }

    // The number as a whole value within [minimum, maximum]; absent for a number with a
    // fraction, one out of range, or a value that is not a number.
    std::optional<std::int64_t> wholeNumber(std::int64_t minimum, std::int64_t maximum) const;

    bool operator==(const PropertyList&) const = default;

private:
    std::variant<bool, std::int64_t, double, std::string, Data, Array, Dictionary> value_;
};

} // namespace orlix
