#pragma once

#include "Platform/PropertyList.h"

#include <optional>
#include <string>
#include <string_view>

namespace orlix {

// Converts property-list values to and from the XML property-list format.
class PropertyListSerialization {
public:
    // Absent for anything that is not a well-formed XML property list this type can hold: broken
    // or truncated XML, integers outside the signed 64-bit range or written in any form other
    // than plain decimal, containers nested deeper than maximumDepth. Dates, which this type has
    // no kind for, read as their ISO 8601 text.
    static std::optional<PropertyList> fromXml(std::string_view xml);
    // Text cannot hold a NUL character: a string is written up to its first one.
    static std::string toXml(const PropertyList& value);

    static constexpr int maximumDepth = 256;
};

} // namespace orlix
