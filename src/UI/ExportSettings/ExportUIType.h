#pragma once

namespace orlix {

// The output type chosen in the export type pane; its value is the index of its options tab.
enum class ExportUIType { png = 0, jpeg = 1, fileType = 2 };

} // namespace orlix
