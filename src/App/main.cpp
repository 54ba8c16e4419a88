#include "App/CommandLine.h"
#include "App/OrlixApplication.h"

#include <QApplication>

#include <string>
#include <vector>

int main(int argc, char** argv) {
    // Qt sees only the program's name: a file named like one of its options must stay a file.
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    int qtArgumentCount = 1;
    QApplication application(qtArgumentCount, argv);
    QApplication::setApplicationName(QStringLiteral("Orlix"));
    QApplication::setDesktopFileName(QStringLiteral("co.corvendal.Orlix"));
    orlix::OrlixApplication orlix(orlix::CommandLine::parse(arguments));
    return orlix.run(application);
}
