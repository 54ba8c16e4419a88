#include "Model/PropertyListReading.h"

#include <limits>

namespace orlix {

namespace {

template <typename Unsigned> std::optional<Unsigned> unsignedNumber(const PropertyList* stored) {
    if (stored == nullptr) {
        return std::nullopt;
    }
    const auto number = stored->wholeNumber(0, std::numeric_limits<Unsigned>::max());
    return number ? std::optional<Unsigned>(static_cast<Unsigned>(*number)) : std::nullopt;
}

} // namespace

const PropertyList* PropertyListReading::value(const PropertyList::Dictionary& dictionary,
                                               const char* key) {
    const auto found = dictionary.find(key);
    return found == dictionary.end() ? nullptr : &found->second;
}

std::optional<std::uint8_t> PropertyListReading::uint8(const PropertyList::Dictionary& dictionary,
                                                       const char* key) {
    return unsignedNumber<std::uint8_t>(value(dictionary, key));
}

std::optional<std::uint32_t> PropertyListReading::uint32(const PropertyList::Dictionary& dictionary,
                                                         const char* key) {
    return unsignedNumber<std::uint32_t>(value(dictionary, key));
}

std::optional<bool> PropertyListReading::boolean(const PropertyList::Dictionary& dictionary,
                                                 const char* key) {
    const auto* stored = value(dictionary, key);
    if (stored == nullptr || stored->boolValue() == nullptr) {
        return std::nullopt;
    }
    return *stored->boolValue();
}

const std::string* PropertyListReading::string(const PropertyList::Dictionary& dictionary,
                                               const char* key) {
    const auto* stored = value(dictionary, key);
    return stored == nullptr ? nullptr : stored->stringValue();
}

const PropertyList::Dictionary*
PropertyListReading::dictionary(const PropertyList::Dictionary& dictionary, const char* key) {
    const auto* stored = value(dictionary, key);
    return stored == nullptr ? nullptr : stored->dictionaryValue();
}

} // namespace orlix
