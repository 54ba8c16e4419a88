#include "Desktop/SessionUserNotifier.h"

namespace orlix {

SessionUserNotifier::SessionUserNotifier(QDBusConnection connection)
    : gtk_(connection)
    , freedesktop_(connection) {}

void SessionUserNotifier::setActivationHandler(ActivationHandler handler) {
    freedesktop_.setActivationHandler(std::move(handler));
}

void SessionUserNotifier::deliver(const std::string& title, const std::string& informativeText,
                                  const std::vector<std::string>& resultPaths) {
    if (gtk_.isAvailable()) {
        gtk_.deliver(title, informativeText, resultPaths);
    } else {
        freedesktop_.deliver(title, informativeText, resultPaths);
    }
}

void SessionUserNotifier::flush() {
    gtk_.flush();
    freedesktop_.flush();
}

} // namespace orlix
