#pragma once

namespace orlix {

// Something drawn in one set of colours while the application is active and in another while it
// is not; setting the flag redraws it.
class DeactivatableUI {
public:
    virtual ~DeactivatableUI() = default;

    virtual bool activated() const = 0;
    virtual void setActivated(bool activated) = 0;
};

} // namespace orlix
