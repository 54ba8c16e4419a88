#include "Desktop/PackagedUpdater.h"

#include "Platform/UserDefaults.h"

namespace orlix {

namespace {

constexpr std::chrono::seconds kDefaultInterval = std::chrono::hours(24);
constexpr std::chrono::seconds kShortestInterval = std::chrono::hours(1);
constexpr std::chrono::seconds kLongestInterval = std::chrono::hours(24 * 365);
// Far enough for any real date, near enough that a time point in nanoseconds holds it.
constexpr std::chrono::seconds kLatestDate = std::chrono::hours(24 * 365 * 200);

std::optional<std::int64_t> storedWholeNumber(const char* key, std::chrono::seconds minimum,
                                              std::chrono::seconds maximum) {
    const auto value = UserDefaults::standardUserDefaults()->objectForKey(key);
    return value ? value->wholeNumber(minimum.count(), maximum.count()) : std::nullopt;
}

} // namespace

bool PackagedUpdater::automaticallyChecksForUpdates() const {
    return UserDefaults::standardUserDefaults()->boolForKey(
        automaticallyChecksForUpdatesDefaultsKey);
}

void PackagedUpdater::setAutomaticallyChecksForUpdates(bool checks) {
    UserDefaults::standardUserDefaults()->setObject(PropertyList(checks),
                                                    automaticallyChecksForUpdatesDefaultsKey);
}

std::optional<Updater::Date> PackagedUpdater::lastUpdateCheckDate() const {
    const auto seconds =
        storedWholeNumber(lastUpdateCheckDateDefaultsKey, std::chrono::seconds(0), kLatestDate);
    if (!seconds) {
        return std::nullopt;
    }
    return Date(std::chrono::seconds(*seconds));
}

std::chrono::seconds PackagedUpdater::updateCheckInterval() const {
    const auto seconds =
        storedWholeNumber(updateCheckIntervalDefaultsKey, kShortestInterval, kLongestInterval);
    return seconds ? std::chrono::seconds(*seconds) : kDefaultInterval;
}

void PackagedUpdater::setLastUpdateCheckDate(Date date) {
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(date.time_since_epoch()).count();
    UserDefaults::standardUserDefaults()->setObject(PropertyList(std::int64_t{seconds}),
                                                    lastUpdateCheckDateDefaultsKey);
}

} // namespace orlix
