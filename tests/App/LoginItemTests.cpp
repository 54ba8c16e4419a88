#include "App/AppSettings.h"
#include "Platform/MainQueue.h"
#include "Platform/RunLoop.h"
#include "Shared/SharedDefinitions.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace orlix {
namespace {

using ::testing::ElementsAre;
using Update = OSIntegrationManager::LoginItemUpdate;

// What the session saw, in order: "disable", "enable", "terminate <pid>", and "turn" between two
// turns of the main loop.
using Log = std::vector<std::string>;

class FakeLoginItems : public LoginItemRegistry {
public:
    explicit FakeLoginItems(Log& log)
        : log_(log) {}
    void setLoginItemEnabled(bool enabled) override {
        log_.push_back(enabled ? "enable" : "disable");
    }

private:
    Log& log_;
};

class FakeRunningApplications : public RunningApplications {
public:
    explicit FakeRunningApplications(Log& log)
        : log_(log) {}
    std::vector<RunningApplication>
    runningApplications(const std::string& bundleIdentifier) override {
        return copies[bundleIdentifier];
    }
    void terminate(const RunningApplication& application) override {
        log_.push_back("terminate " + std::to_string(application.processIdentifier));
    }

    std::map<std::string, std::vector<RunningApplication>> copies;

private:
    Log& log_;
};

RunningApplication copy(pid_t pid, std::optional<std::string> version, bool opens = true) {
    return {pid, ":1." + std::to_string(pid), opens, std::move(version)};
}

class LoginItemTests : public ::testing::Test {
protected:
    LoginItemTests() { MainQueue::setExecutor(loop); }
    ~LoginItemTests() override { MainQueue::setExecutor(nullptr); }

    // Applies the switches of a launch with these arguments, then lets the main loop turn.
    Log launch(std::vector<std::string> arguments,
               std::optional<std::string> version = std::string("1.2")) {
        arguments.insert(arguments.begin(), "/usr/bin/orlix");
        AppSettings::read(ArgumentsParser(arguments)).apply({loginItems, running, version});
        log.push_back("turn");
        loop->runUntilIdle();
        return log;
    }

    void runningCopies(std::vector<RunningApplication> copies) {
        running->copies[loginItemBundleIdentifier] = std::move(copies);
    }

    Log log;
    std::shared_ptr<RunLoop> loop = std::make_shared<RunLoop>();
    std::shared_ptr<FakeLoginItems> loginItems = std::make_shared<FakeLoginItems>(log);
    std::shared_ptr<FakeRunningApplications> running =
        std::make_shared<FakeRunningApplications>(log);
};

TEST(ArgumentsParserTests, SwitchesCountWithSpacesAndTabsAroundThemOnly) {
    const auto has = [](const std::string& argument) {
        return ArgumentsParser({"/usr/bin/orlix", argument}).hasArgument("-uninstall-helper");
    };
    EXPECT_TRUE(has("-uninstall-helper"));
    EXPECT_TRUE(has("  -uninstall-helper\t"));
    EXPECT_FALSE(has("-uninstall-helper=yes"));
    EXPECT_FALSE(has("-Uninstall-Helper"));
    EXPECT_FALSE(has("-uninstall-helper\n"));
    EXPECT_FALSE(has("--uninstall-helper"));
    EXPECT_FALSE(ArgumentsParser({}).hasArgument("-uninstall-helper"));
    // The program's own path is searched like the rest.
    EXPECT_TRUE(ArgumentsParser({"-uninstall-helper"}).hasArgument("-uninstall-helper"));
}

TEST(ArgumentsParserTests, TheSwitchesChooseTheUpdateByPrecedence) {
    const auto update = [](std::vector<std::string> arguments) {
        return AppSettings::read(ArgumentsParser(std::move(arguments))).loginItemUpdate();
    };
    EXPECT_EQ(update({}), Update::install);
    EXPECT_EQ(update({"-force-restart-helper"}), Update::terminateAndInstall);
    EXPECT_EQ(update({"-force-restart-helper", "-uninstall-helper"}), Update::uninstall);
    EXPECT_EQ(update({"-uninstall-helper", "-no-helper-install"}), std::nullopt);
    EXPECT_EQ(update({"-no-helper-install", "-force-restart-helper"}), std::nullopt);
}

TEST_F(LoginItemTests, WithoutARunningCopyTheItemIsDisabledThenEnabledOnTheNextTurn) {
    EXPECT_THAT(launch({}), ElementsAre("disable", "turn", "enable"));
}

TEST_F(LoginItemTests, ACopyOfThisVersionStaysUnlessARestartIsAsked) {
    runningCopies({copy(40, "1.2")});
    EXPECT_THAT(launch({}), ElementsAre("turn", "enable"));
    log.clear();
    EXPECT_THAT(launch({"-force-restart-helper"}),
                ElementsAre("disable", "terminate 40", "turn", "enable"));
}

TEST_F(LoginItemTests, VersionsAreComparedAsTextAndAMissingOneIsTrusted) {
    // "1.2.0" is another version than "1.2", as "1.3" is: each copy is disabled and ended.
    runningCopies({copy(41, "1.2.0"), copy(42, "1.3"), copy(43, std::nullopt)});
    EXPECT_THAT(launch({}), ElementsAre("disable", "terminate 41", "disable", "terminate 42",
                                        "turn", "enable"));
    log.clear();
    runningCopies({copy(44, "0.9")});
    EXPECT_THAT(launch({}, std::nullopt), ElementsAre("turn", "enable"))
        << "an application without a version keeps every copy";
}

TEST_F(LoginItemTests, ACopyWhoseProgramIsGoneIsEndedWhateverItsVersion) {
    runningCopies({copy(45, "1.2", false)});
    EXPECT_THAT(launch({}), ElementsAre("disable", "terminate 45", "turn", "enable"));
}

TEST_F(LoginItemTests, UninstallDisablesOnceThenEndsTheLoginItemsCopiesBeforeTheHelpers) {
    runningCopies({copy(46, "1.2"), copy(47, "1.1")});
    running->copies[helperBundleIdentifier] = {copy(48, "1.2")};
    EXPECT_THAT(launch({" -uninstall-helper", "-force-restart-helper"}),
                ElementsAre("disable", "terminate 46", "terminate 47", "terminate 48", "turn"));
}

TEST_F(LoginItemTests, NoHelperInstallLeavesEverythingAlone) {
    runningCopies({copy(49, "0.1")});
    EXPECT_THAT(launch({"-no-helper-install", "-uninstall-helper"}), ElementsAre("turn"));
}

} // namespace
} // namespace orlix
