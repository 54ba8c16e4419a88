#include "Model/Preferences.h"
#include "Platform/UserDefaults.h"
#include "Support/ScopedEnvironment.h"
#include "Support/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <fstream>

namespace orlix {
namespace {

namespace fs = std::filesystem;

class PreferencesTests : public ::testing::Test {
protected:
    std::shared_ptr<UserDefaults> defaults() { return UserDefaults::standardUserDefaults(); }

    void store(const char* key, const PropertyList& value) { defaults()->setObject(value, key); }

    void storeVersion(const char* version) { store("OXPropertyListVersion", version); }

    Preferences custom() {
        Preferences preferences;
        preferences.resolutions = OutputResolutionsPreference::x3x2x1;
        preferences.performance = PerformancePreference::low;
        preferences.currentExportSettings = {
            {ExportFormat::png({256, true, true, true}), ResizeConfig::trim(10, 20)},
            ResolutionConfig::defaultResolutionsWithMinPredefinedSize};
        preferences.userPresets = {{"B", ExportSettings::defaultSettings()},
                                   {"A", ExportSettingsPreset::builtInPresets()[3].exportSettings}};
        preferences.userSelectedPresetTitle = "A";
        preferences.displayOperationsWindow = false;
        preferences.displayActivityDetailView = false;
        return preferences;
    }

    testing::TemporaryDirectory folder;
    testing::ScopedEnvironment configHome{"XDG_CONFIG_HOME", folder.path().string()};
};

TEST_F(PreferencesTests, FirstStartGivesTheDefaults) {
    const auto preferences = Preferences::load();
    EXPECT_EQ(preferences.resolutions, OutputResolutionsPreference::x2x1);
    EXPECT_EQ(preferences.performance, PerformancePreference::normal);
    EXPECT_EQ(preferences.currentExportSettings, ExportSettings::defaultSettings());
    EXPECT_TRUE(preferences.userPresets.empty());
    EXPECT_FALSE(preferences.userSelectedPresetTitle);
    EXPECT_TRUE(preferences.displayOperationsWindow);
    EXPECT_TRUE(preferences.displayActivityDetailView);
    EXPECT_FALSE(fs::exists(defaults()->filePath())) << "loading must not write";
}

TEST_F(PreferencesTests, SavedValueReloadsAndIsWrittenInTheStoredForm) {
    const auto saved = custom();
    saved.save();
    EXPECT_EQ(Preferences::load(), saved);

    EXPECT_EQ(defaults()->stringForKey("OXPropertyListVersion"), "10.0");
    EXPECT_EQ(defaults()->objectForKey("OXOutputResolutions"), PropertyList(0));
    EXPECT_EQ(defaults()->objectForKey("OXPerformance"), PropertyList(2));
    EXPECT_EQ(defaults()->objectForKey("OXDisplayOperationsWindow"), PropertyList(false));
    EXPECT_EQ(defaults()->dictionaryForKey("OXCurrentExportSettings"),
              saved.currentExportSettings.propertyList());
    ASSERT_EQ(defaults()->arrayForKey("OXPresets")->size(), 2u);
    EXPECT_EQ(defaults()->arrayForKey("OXPresets")->front(),
              PropertyList(saved.userPresets.front().propertyList()));
}

TEST_F(PreferencesTests, AbsentTitleLeavesTheStoredTitleAndEmptyPresetsAreWritten) {
    custom().save();
    Preferences withoutTitle = custom();
    withoutTitle.userSelectedPresetTitle.reset();
    withoutTitle.userPresets.clear();
    withoutTitle.save();
    const auto loaded = Preferences::load();
    EXPECT_EQ(loaded.userSelectedPresetTitle, "A");
    EXPECT_TRUE(loaded.userPresets.empty());
    EXPECT_EQ(defaults()->arrayForKey("OXPresets"), PropertyList::Array{});
}

TEST_F(PreferencesTests, VersionGate) {
    custom().save();
    for (const char* accepted : {"10", "9.5", ".10", "10.0", "+10", "10..7", "0"}) {
        storeVersion(accepted);
        EXPECT_TRUE(Preferences::isStoredVersionSupported()) << accepted;
        EXPECT_EQ(Preferences::load(), custom()) << accepted;
    }
    for (const char* refused :
         {"11.0", "abc", "", ".", "...", " 10.0", "-1", "10a", "99999999999999999999999"}) {
        storeVersion(refused);
        EXPECT_FALSE(Preferences::isStoredVersionSupported()) << refused;
        EXPECT_EQ(Preferences::load(), Preferences{}) << refused;
    }
    store("OXPropertyListVersion", 10);
    EXPECT_FALSE(Preferences::isStoredVersionSupported()) << "a number is not a version text";
    defaults()->removeObject("OXPropertyListVersion");
    EXPECT_EQ(Preferences::load(), Preferences{});
}

TEST_F(PreferencesTests, NewerStoreIsReplacedByTheNextSave) {
    custom().save();
    storeVersion("11.0");
    Preferences mine = Preferences::load();
    mine.performance = PerformancePreference::high;
    mine.save();
    EXPECT_EQ(defaults()->stringForKey("OXPropertyListVersion"), "10.0");
    EXPECT_EQ(Preferences::load().performance, PerformancePreference::high);
    EXPECT_EQ(Preferences::load().resolutions, OutputResolutionsPreference::x2x1);
}

TEST_F(PreferencesTests, UnusableCodesKeepTheirDefaults) {
    storeVersion("10.0");
    const auto loadCodes = [&](PropertyList resolutions, PropertyList performance) {
        store("OXOutputResolutions", resolutions);
        store("OXPerformance", performance);
        const auto loaded = Preferences::load();
        return std::pair(loaded.resolutions, loaded.performance);
    };
    using R = OutputResolutionsPreference;
    using P = PerformancePreference;
    EXPECT_EQ(loadCodes(0, 0), std::pair(R::x3x2x1, P::high));
    EXPECT_EQ(loadCodes(1, 2), std::pair(R::x2x1, P::low));
    EXPECT_EQ(loadCodes(2, 3), std::pair(R::x2x1, P::normal));
    EXPECT_EQ(loadCodes(300, -1), std::pair(R::x2x1, P::normal));
    EXPECT_EQ(loadCodes(256, 256), std::pair(R::x2x1, P::normal));
    EXPECT_EQ(loadCodes("text", "text"), std::pair(R::x3x2x1, P::high))
        << "the integer reader gives 0 for a value that is not a number";
}

TEST_F(PreferencesTests, DamagedEntriesFallBackOneByOne) {
    custom().save();
    const auto valid = custom().userPresets;
    store("OXPresets", PropertyList::Array{valid[0].propertyList(), "text",
                                           PropertyList::Dictionary{{"OXPresetExportSettings",
                                                                     PropertyList::Dictionary{}}},
                                           valid[1].propertyList()});
    store("OXCurrentExportSettings", PropertyList::Dictionary{{"OXPresetExportConfig", 1}});
    store("OXDisplayActivityDetailView", "yes");
    store("OXUserSelectedPresetTitle", 4);
    const auto loaded = Preferences::load();
    EXPECT_EQ(loaded.userPresets, valid);
    EXPECT_EQ(loaded.currentExportSettings, ExportSettings::defaultSettings());
    EXPECT_FALSE(loaded.displayActivityDetailView);
    EXPECT_TRUE(loaded.displayOperationsWindow == false);
    EXPECT_FALSE(loaded.userSelectedPresetTitle);
    EXPECT_EQ(loaded.performance, PerformancePreference::low);

    store("OXPresets", "not a list");
    EXPECT_TRUE(Preferences::load().userPresets.empty());
}

TEST_F(PreferencesTests, DamagedFileLoadsAsDefaultsAndIsKeptAside) {
    custom().save();
    const auto path = defaults()->filePath();
    for (const std::string& damage :
         {std::string("<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>OX"),
          std::string("not xml at all \x01\x02", 17),
          std::string("<?xml version=\"1.0\"?><plist version=\"1.0\"><array/></plist>")}) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << damage;
        EXPECT_EQ(Preferences::load(), Preferences{});
        custom().save();
        EXPECT_EQ(Preferences::load(), custom());
    }
    std::size_t keptAside = 0;
    for (const auto& entry : fs::directory_iterator(path.parent_path())) {
        keptAside += entry.path().filename().string().find(".corrupt-") != std::string::npos;
    }
    EXPECT_GE(keptAside, 1u);
}

} // namespace
} // namespace orlix
