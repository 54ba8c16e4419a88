#pragma once

#include "Platform/Uuid.h"

namespace orlix {

// What the activity window tells about the rows it shows.
class ItemActivityUIDelegate {
public:
    virtual ~ItemActivityUIDelegate() = default;

    virtual void activityItemAdded(const Uuid& identifier) = 0;
    // The row is off screen: its model is no longer needed.
    virtual void activityItemRemoved(const Uuid& identifier) = 0;
};

} // namespace orlix
