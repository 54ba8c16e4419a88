#include "UI/DropWindow/LargeOperationsViewController.h"

namespace orlix {

void LargeOperationsViewController::loadView() {
    buildView({560, 240, 280, 16, 10});
}

} // namespace orlix
