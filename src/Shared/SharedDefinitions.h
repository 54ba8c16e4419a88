#pragma once

namespace orlix {

// Names both programs must spell identically: the helper writes what the application reads and
// the other way round.

// The application's identifier, which is also its name on the session bus.
inline constexpr const char* applicationBundleIdentifier = "co.corvendal.Orlix";
// The helper's identifier, which is also the name of its preferences domain and its name on the
// session bus.
inline constexpr const char* helperBundleIdentifier = "co.corvendal.orlix-helper";
// Where the running helper answers on the session bus: the three add-images entries, Terminate and
// its Version property.
inline constexpr const char* helperObjectPath = "/co/corvendal/OrlixHelper";
inline constexpr const char* helperInterface = "co.corvendal.OrlixHelper";
inline constexpr const char* loginItemBundleIdentifier = "co.corvendal.orlix-persist";

// Keys of the helper's domain.
inline constexpr const char* showUIOnImageFileDragDefaultsKey = "OXShowUIOnImageFileDrag";
inline constexpr const char* dragUIModifierKeysDefaultsKey = "OXDragUIModifierKeys";

// Keys of the application's own domain.
inline constexpr const char* displayedEnableDragUIMessageDefaultsKey =
    "OXDisplayedEnableDragUIMessage";
inline constexpr const char* displayedEnableAutomaticUpdatesMessageDefaultsKey =
    "OXDisplayedEnableAutomaticUpdatesMessage";
inline constexpr const char* forcedJPEGQualityDefaultsKey = "OXForcedJPEGQuality";

// Launch arguments that choose how added images are handled.
inline constexpr const char* quickOptimizeArgument = "-quick-optimize";
inline constexpr const char* lastUsedSettingsArgument = "-last-used-settings";

// The helper hands dropped files to the application with this notification.
inline constexpr const char* imagesAddedNotificationName = "OXImagesAddedNotification";
inline constexpr const char* imagesAddedPathsKey = "OXImagesAddedPathsKey";
inline constexpr const char* imagesAddedArgumentsKey = "OXImagesAddedArgumentsKey";

// How far below the top of the screen the drop and activity windows place themselves, in points.
inline constexpr double windowTopMargin = 75.0;

} // namespace orlix
