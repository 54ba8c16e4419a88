#include "Platform/Localization.h"

#include <gtest/gtest.h>

namespace orlix {
namespace {

TEST(LocalizationTests, ReturnsTheTextUntilALocalizerIsInstalled) {
    EXPECT_EQ(localized("Cancel", "Button title"), "Cancel");

    setLocalizer([](std::string_view text, std::string_view comment) {
        return "[" + std::string(comment) + "] " + std::string(text);
    });
    EXPECT_EQ(localized("Cancel", "Button title"), "[Button title] Cancel");

    // A localizer may itself ask for localised text.
    setLocalizer([](std::string_view text, std::string_view) {
        return text == "outer" ? localized("inner", "") : std::string(text) + "!";
    });
    EXPECT_EQ(localized("outer", ""), "inner!");

    setLocalizer(nullptr);
    EXPECT_EQ(localized("Cancel", "Button title"), "Cancel");
}

} // namespace
} // namespace orlix
