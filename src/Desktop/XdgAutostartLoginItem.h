#pragma once

#include "Desktop/LoginItemRegistry.h"
#include "Desktop/RunningApplications.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace orlix {

// The login item as the session's autostart entry of the helper. Enabling writes the entry and
// starts the helper when none runs; disabling removes the entry and leaves a running helper be.
class XdgAutostartLoginItem final : public LoginItemRegistry {
public:
    using Launcher = std::function<void(const std::filesystem::path& program)>;

    XdgAutostartLoginItem(std::filesystem::path entryFile, std::filesystem::path helperProgram,
                          std::string version,
                          std::shared_ptr<RunningApplications> runningApplications,
                          Launcher launcher);

    void setLoginItemEnabled(bool enabled) override;

    // The helper of this build: beside the program in a build tree, in
    // <prefix>/libexec/orlix/ beside <prefix>/bin/ when installed.
    static std::filesystem::path helperProgram(const std::filesystem::path& ownProgram);
    // Starts the program on its own, not as a child of this process.
    static void startDetached(const std::filesystem::path& program);

private:
    std::filesystem::path entryFile_;
    std::filesystem::path helperProgram_;
    std::string version_;
    std::shared_ptr<RunningApplications> runningApplications_;
    Launcher launcher_;
};

} // namespace orlix
