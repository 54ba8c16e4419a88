#pragma once

#include "Helper/LaunchEnvironment.h"

#include <set>
#include <string>
#include <vector>

namespace orlix::helper::testing {

// Records what the launcher asks of the desktop, in order, as lines of text.
class FakeLaunchEnvironment final : public LaunchEnvironment, DistributedNotificationCenter {
public:
    bool running = false;
    std::vector<std::filesystem::path> candidates{"orlix"};
    std::set<std::filesystem::path> startable;
    std::vector<std::string> log;

    bool isRunning(const std::string& bundleIdentifier) override {
        log.push_back("running? " + bundleIdentifier);
        return running;
    }
    void activate(const std::string& bundleIdentifier) override {
        log.push_back("activate " + bundleIdentifier);
    }
    DistributedNotificationCenter& distributedCenter() override { return *this; }
    std::vector<std::filesystem::path> candidatePrograms() const override { return candidates; }
    bool start(const std::filesystem::path& program,
               const std::vector<std::string>& arguments) override {
        log.push_back("start " + program.string() + joined(arguments));
        return startable.count(program) > 0;
    }

    std::unique_ptr<Observation> addObserver(const std::string&, Block) override { return {}; }
    void post(const std::string& name, const UserInfo& userInfo) override {
        std::string line = "post " + name;
        for (const auto& [key, values] : userInfo) {
            line += " " + key + ":" + joined(values);
        }
        log.push_back(line);
    }

private:
    static std::string joined(const std::vector<std::string>& words) {
        std::string text;
        for (const auto& word : words) {
            text += " " + word;
        }
        return "[" + text + " ]";
    }
};

} // namespace orlix::helper::testing
