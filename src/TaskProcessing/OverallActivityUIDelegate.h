#pragma once

namespace orlix {

// What the activity window's header tells about the whole run.
class OverallActivityUIDelegate {
public:
    virtual ~OverallActivityUIDelegate() = default;

    // The user pressed cancel.
    virtual void activitiesCancelled() = 0;
};

} // namespace orlix
