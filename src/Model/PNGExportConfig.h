#pragma once

#include "Platform/PropertyList.h"

#include <cstdint>
#include <optional>

namespace orlix {

struct PNGExportConfig {
    std::uint16_t paletteSize = 256;
    bool dithered = true;
    // Spend more effort on the palette.
    bool highQuality = false;
    // Recompress the finished file with Zopfli.
    bool useZopfli = false;

    PropertyList::Dictionary propertyList() const;
    // Palette size and dithering are not stored and come back as 256 and on.
    static std::optional<PNGExportConfig>
    fromPropertyList(const PropertyList::Dictionary& dictionary);

    // Only what the export reads and the stored form keeps takes part, so settings match their
    // stored copy and the preset they were made from.
    bool operator==(const PNGExportConfig& other) const {
        return highQuality == other.highQuality && useZopfli == other.useZopfli;
    }
};

} // namespace orlix
