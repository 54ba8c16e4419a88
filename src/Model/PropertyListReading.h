#pragma once

#include "Platform/PropertyList.h"

#include <cstdint>
#include <optional>
#include <string>

namespace orlix {

// Typed lookups in a stored dictionary. Each is absent when the key is missing or holds another
// kind of value, so decoders can reject a damaged entry without looking further.
class PropertyListReading {
public:
    static std::optional<std::uint8_t> uint8(const PropertyList::Dictionary& dictionary,
                                             const char* key);
    static std::optional<std::uint32_t> uint32(const PropertyList::Dictionary& dictionary,
                                               const char* key);
    static std::optional<bool> boolean(const PropertyList::Dictionary& dictionary, const char* key);
    static const std::string* string(const PropertyList::Dictionary& dictionary, const char* key);
    static const PropertyList::Dictionary* dictionary(const PropertyList::Dictionary& dictionary,
                                                      const char* key);
    // The value that the type's decoder reads from the dictionary under the key.
    template <typename Value>
    static std::optional<Value> decoded(const PropertyList::Dictionary& container,
                                        const char* key) {
        const auto* stored = dictionary(container, key);
        return stored ? Value::fromPropertyList(*stored) : std::nullopt;
    }

private:
    static const PropertyList* value(const PropertyList::Dictionary& dictionary, const char* key);
};

} // namespace orlix
