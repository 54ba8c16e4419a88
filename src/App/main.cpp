#include "App/CommandLine.h"
#include "App/OrlixApplication.h"
#include "Desktop/FontDatabaseWarmUp.h"
#include "UI/ApplicationBundle.h"

#include <QApplication>

#include <iostream>
#include <memory>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    // Orlix places its windows itself, which a Wayland client cannot do: in a Wayland session it
    // runs on XWayland when that is there, unless the user chose a platform.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        !qEnvironmentVariableIsEmpty("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
    // Qt sees only the program's name: a file named like one of its options must stay a file.
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const auto commandLine = orlix::CommandLine::parse(arguments);
    // Answered before Qt starts, so that neither needs a display nor opens a window.
    if (commandLine.request != orlix::CommandLine::Request::run) {
        std::cout << orlix::CommandLine::answer(commandLine.request) << std::flush;
        return std::cout ? 0 : 1;
    }
    auto fonts = std::make_unique<orlix::FontDatabaseWarmUp>();
    int qtArgumentCount = 1;
    QApplication application(qtArgumentCount, argv);
    fonts.reset();
    QApplication::setApplicationName(QStringLiteral("Orlix"));
    QApplication::setApplicationVersion(QStringLiteral(ORLIX_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("co.corvendal.Orlix"));
    QApplication::setWindowIcon(orlix::ApplicationBundle::windowIcon());
    orlix::OrlixApplication orlix(commandLine);
    return orlix.run(application);
}
