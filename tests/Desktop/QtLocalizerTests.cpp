#include "Desktop/QtLocalizer.h"

#include "Platform/Localization.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTranslator>

#include <string_view>

namespace orlix {
namespace {

// A catalogue with one entry with a disambiguation and one without.
class FakeCatalogue final : public QTranslator {
public:
    bool isEmpty() const override { return false; }

    QString translate(const char* context, const char* text, const char* disambiguation,
                      int) const override {
        const std::string_view meaning = disambiguation ? disambiguation : "(none)";
        if (std::string_view(context) != "Orlix") {
            return {};
        }
        if (std::string_view(text) == "Cancel" && meaning == "Button title") {
            return QStringLiteral("Abbrechen \u2713");
        }
        if (std::string_view(text) == "Save" && meaning == "(none)") {
            return QStringLiteral("Sichern");
        }
        return {};
    }
};

TEST(QtLocalizerTests, LooksUpTheTextInTheOrlixContextWithTheCommentAsDisambiguation) {
    FakeCatalogue catalogue;
    QCoreApplication::installTranslator(&catalogue);
    QtLocalizer::install();

    EXPECT_EQ(localized("Cancel", "Button title"), "Abbrechen \xE2\x9C\x93");
    EXPECT_EQ(localized("Cancel", "Menu item"), "Cancel");
    EXPECT_EQ(localized("Save", ""), "Sichern");
    // Views need not end where the text ends.
    EXPECT_EQ(localized(std::string_view("Cancelled").substr(0, 6), "Button title"),
              "Abbrechen \xE2\x9C\x93");
    EXPECT_EQ(localized("Caf\xC3\xA9", ""), "Caf\xC3\xA9");

    setLocalizer(nullptr);
    QCoreApplication::removeTranslator(&catalogue);
}

} // namespace
} // namespace orlix
