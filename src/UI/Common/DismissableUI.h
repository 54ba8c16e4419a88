#pragma once

#include <functional>

namespace orlix {

// Something that can ask to be closed: whoever shows it sets the dismisser, and it calls the
// dismisser to be closed. Without a dismisser it stays.
class DismissableUI {
public:
    virtual ~DismissableUI() = default;

    std::function<void()> dismisser;
};

} // namespace orlix
