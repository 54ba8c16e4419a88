#pragma once

namespace orlix {

// The output format as the activity display names it.
enum class UIExportFormat { png, jpeg, fileType };

} // namespace orlix
