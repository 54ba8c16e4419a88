#include "Desktop/QtLocalizer.h"

#include "Platform/Localization.h"

#include <QCoreApplication>
#include <QString>

namespace orlix {

void QtLocalizer::install() {
    setLocalizer(&QtLocalizer::translate);
}

std::string QtLocalizer::translate(std::string_view text, std::string_view comment) {
    // Qt wants terminated strings; views need not be.
    const std::string source(text);
    const std::string disambiguation(comment);
    return QCoreApplication::translate("Orlix", source.c_str(),
                                       disambiguation.empty() ? nullptr : disambiguation.c_str())
        .toStdString();
}

} // namespace orlix
