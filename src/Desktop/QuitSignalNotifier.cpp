#include "Desktop/QuitSignalNotifier.h"

#include <QSocketNotifier>

#include <csignal>
#include <unistd.h>

namespace orlix {

namespace {

// Written by the signal handler, read on the event loop: the only safe way out of a handler.
int quitSignalPipe[2] = {-1, -1};

extern "C" void quitSignalReceived(int) {
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(quitSignalPipe[1], &byte, 1);
}

} // namespace

bool QuitSignalNotifier::install(QObject* parent, std::function<void()> handler) {
    if (::pipe(quitSignalPipe) != 0) {
        return false;
    }
    auto* notifier = new QSocketNotifier(quitSignalPipe[0], QSocketNotifier::Read, parent);
    QObject::connect(notifier, &QSocketNotifier::activated, [handler = std::move(handler)] {
        char byte = 0;
        [[maybe_unused]] const auto read = ::read(quitSignalPipe[0], &byte, 1);
        if (handler) {
            handler();
        }
    });
    std::signal(SIGTERM, quitSignalReceived);
    std::signal(SIGINT, quitSignalReceived);
    return true;
}

} // namespace orlix
