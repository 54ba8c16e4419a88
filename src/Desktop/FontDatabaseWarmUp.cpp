#include "Desktop/FontDatabaseWarmUp.h"

#include <fontconfig/fontconfig.h>

#include <system_error>

namespace orlix {

FontDatabaseWarmUp::FontDatabaseWarmUp() {
    try {
        // Qt's font database starts with this same call, which then finds the configuration
        // read; fontconfig locks itself, so a call on the main thread meanwhile only waits.
        reader_ = std::thread([] { FcInit(); });
    } catch (const std::system_error&) {
        // Without a thread the configuration is read when first needed, as always.
    }
}

FontDatabaseWarmUp::~FontDatabaseWarmUp() {
    if (reader_.joinable()) {
        reader_.join();
    }
}

} // namespace orlix
