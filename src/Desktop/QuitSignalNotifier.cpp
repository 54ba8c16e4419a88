#include "Desktop/QuitSignalNotifier.h"

#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace orlix {

namespace {

constexpr std::array kQuitSignals{SIGTERM, SIGINT, SIGHUP};

// Written by the signal handler, read on the event loop: the only safe way out of a handler. Never
// blocks the handler: a full pipe already holds a quit.
int quitSignalPipe[2] = {-1, -1};

extern "C" void quitSignalReceived(int signalNumber) {
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const auto written = ::write(quitSignalPipe[1], &byte, 1);
    errno = savedErrno;
}

} // namespace

bool QuitSignalNotifier::install(QObject* parent, Handler handler) {
    // Close-on-exec: the programs Orlix starts must not hold the pipe open.
    if (::pipe2(quitSignalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        return false;
    }
    auto* notifier = new QSocketNotifier(quitSignalPipe[0], QSocketNotifier::Read, parent);
    QObject::connect(notifier, &QSocketNotifier::activated, [handler = std::move(handler)] {
        unsigned char byte = 0;
        while (::read(quitSignalPipe[0], &byte, 1) == 1) {
            if (handler) {
                handler(byte);
            }
        }
    });
    struct sigaction action {};
    action.sa_handler = quitSignalReceived;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signalNumber : kQuitSignals) {
        ::sigaction(signalNumber, &action, nullptr);
    }
    return true;
}

} // namespace orlix
