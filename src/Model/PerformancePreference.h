#pragma once

namespace orlix {

// How much of the machine the export queue may use.
enum class PerformancePreference { high, normal, low };

} // namespace orlix
