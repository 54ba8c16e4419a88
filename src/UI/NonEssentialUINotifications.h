#pragma once

namespace orlix {

// Posted by the application when it stops or starts showing what the user does not need while
// it works in the background; windows with decoration fade it accordingly.
inline constexpr const char* showNonEssentialUINotification = "OXShowNonEssentialUINotification";
inline constexpr const char* hideNonEssentialUINotification = "OXHideNonEssentialUINotification";

} // namespace orlix
