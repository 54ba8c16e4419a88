#include "Shared/AddImagesSettings.h"
#include "Shared/DragUIModifierKeys.h"

#include <gtest/gtest.h>

namespace orlix {
namespace {

using SettingsType = AddImagesSettings::SettingsType;

SettingsType typeFor(const std::vector<std::string>& arguments) {
    return AddImagesSettings::settingsTypeFromArguments(arguments);
}

TEST(AddImagesSettingsTests, KnownArgumentsAreMatchedAfterTrimmingSpacesAndTabsOnly) {
    EXPECT_EQ(typeFor({}), SettingsType::resizeAndOptimize);
    EXPECT_EQ(typeFor({"-quick-optimize"}), SettingsType::quickOptimize);
    EXPECT_EQ(typeFor({" \t-quick-optimize\t "}), SettingsType::quickOptimize);
    EXPECT_EQ(typeFor({"-last-used-settings "}), SettingsType::usePreviousSettings);
    // Line breaks are part of the word, and the comparison is case-sensitive.
    EXPECT_EQ(typeFor({"-quick-optimize\n"}), SettingsType::resizeAndOptimize);
    EXPECT_EQ(typeFor({"-QUICK-OPTIMIZE"}), SettingsType::resizeAndOptimize);
    EXPECT_EQ(typeFor({"-quick"}), SettingsType::resizeAndOptimize);
}

TEST(AddImagesSettingsTests, FirstMatchingArgumentDecides) {
    EXPECT_EQ(typeFor({"-last-used-settings", "-quick-optimize"}),
              SettingsType::usePreviousSettings);
    EXPECT_EQ(typeFor({"-quick-optimize", "-last-used-settings"}), SettingsType::quickOptimize);
    EXPECT_EQ(typeFor({"picture.png", "-last-used-settings"}), SettingsType::usePreviousSettings);
    EXPECT_EQ(typeFor({"picture.png"}), SettingsType::resizeAndOptimize);
}

TEST(DragUIModifierKeysTests, FlagsMapToTheStoredBits) {
    EXPECT_EQ(DragUIModifierKeys(true, true, true, true).rawValue(), 15);
    EXPECT_EQ(DragUIModifierKeys(false, false, true, true).rawValue(), 12);
    EXPECT_EQ(DragUIModifierKeys(true, false, false, false).rawValue(), 1);
    EXPECT_TRUE(DragUIModifierKeys(false, false, false, false).isEmpty());
    EXPECT_EQ(DragUIModifierKeys::defaultKeys().rawValue(), 2);

    const DragUIModifierKeys shiftAndCommand(false, true, true, false);
    EXPECT_TRUE(shiftAndCommand.contains(DragUIModifierKeys::command));
    EXPECT_FALSE(
        shiftAndCommand.contains(DragUIModifierKeys::command | DragUIModifierKeys::option));
    EXPECT_EQ(shiftAndCommand.intersection(DragUIModifierKeys::defaultKeys()),
              DragUIModifierKeys::defaultKeys());
    EXPECT_EQ(shiftAndCommand.unionWith(DragUIModifierKeys(DragUIModifierKeys::control)).rawValue(),
              14);
}

} // namespace
} // namespace orlix
