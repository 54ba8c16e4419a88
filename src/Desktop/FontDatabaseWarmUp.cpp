#include "Desktop/FontDatabaseWarmUp.h"

#include <QFontDatabase>
#include <QStringList>

#include <system_error>

namespace orlix {

FontDatabaseWarmUp::FontDatabaseWarmUp() {
    try {
        // The font database locks itself, so the main thread simply waits if it needs the fonts
        // sooner.
        reader_ = std::thread([] { QFontDatabase::families(); });
    } catch (const std::system_error&) {
        // Without a thread the fonts are read when first needed, as always.
    }
}

FontDatabaseWarmUp::~FontDatabaseWarmUp() {
    if (reader_.joinable()) {
        reader_.join();
    }
}

} // namespace orlix
