#pragma once

#include "UI/DropPanel/OperationsViewController.h"

namespace orlix {

// The drop panel in the large form of the drop window; only its look differs.
class LargeOperationsViewController final : public OperationsViewController {
protected:
    void loadView() override;
};

} // namespace orlix
