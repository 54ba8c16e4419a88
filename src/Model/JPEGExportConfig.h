#pragma once

#include <cstdint>

namespace orlix {

struct JPEGExportConfig {
    // 0 to 100. The export chooses its own quality, so this is neither stored nor compared.
    std::uint8_t quality = 75;

    bool operator==(const JPEGExportConfig&) const { return true; }
};

} // namespace orlix
