#pragma once

#include "TaskProcessing/FileChooser.h"

namespace orlix {

// The desktop's file dialog, limited to PNG and JPEG files.
class QtFileChooser final : public FileChooser {
public:
    std::optional<std::vector<Url>> runModal() override;
};

} // namespace orlix
