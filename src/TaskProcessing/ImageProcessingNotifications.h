#pragma once

namespace orlix {

// Posted by the image-processing controller on the main thread, with the controller as sender.
inline constexpr const char* imageProcessingShowStandardUINotification =
    "ImageProcessingShowStandardUINotificationName";
inline constexpr const char* imageProcessingHideStandardUINotification =
    "ImageProcessingHideStandardUINotificationName";
inline constexpr const char* imageProcessingShowActivityUINotification =
    "ImageProcessingShowActivityUINotificationName";
inline constexpr const char* imageProcessingHideActivityUINotification =
    "ImageProcessingHideActivityUINotificationName";
// The end of a run.
inline constexpr const char* imageProcessingCompletedNotification =
    "ImageProcessingCompletedNotificationName";

} // namespace orlix
