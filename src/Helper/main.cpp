#include "Helper/HelperApplication.h"
#include "Helper/HelperCommandLine.h"

#include <QApplication>
#include <QCoreApplication>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr const char* usage =
    "usage: orlix-helper\n"
    "       orlix-helper --service quickOptimize|resizeAndOptimize|usePreviousSettings FILE...\n";

std::filesystem::path currentFolder() {
    std::error_code error;
    auto folder = std::filesystem::current_path(error);
    return error ? std::filesystem::path() : folder;
}

} // namespace

int main(int argc, char** argv) {
    using orlix::helper::HelperCommandLine;
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const auto commandLine = HelperCommandLine::parse(arguments, currentFolder());
    // Qt sees only the program's name: a file named like one of its options must stay a file.
    int qtArgumentCount = 1;
    orlix::helper::HelperApplication helper;
    switch (commandLine.mode) {
    case HelperCommandLine::Mode::invalid:
        std::fputs(usage, stderr);
        return 2;
    case HelperCommandLine::Mode::service: {
        // No display is needed to hand files over, so this works in any session.
        QCoreApplication application(qtArgumentCount, argv);
        return helper.runService(commandLine);
    }
    case HelperCommandLine::Mode::background:
        break;
    }
    QApplication application(qtArgumentCount, argv);
    QApplication::setApplicationName(QStringLiteral("orlix-helper"));
    QApplication::setDesktopFileName(QStringLiteral("co.corvendal.orlix-helper"));
    return helper.runInBackground(application);
}
