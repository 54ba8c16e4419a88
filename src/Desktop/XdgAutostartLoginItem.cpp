#include "Desktop/XdgAutostartLoginItem.h"

#include "Desktop/AutostartEntry.h"
#include "Shared/SharedDefinitions.h"

#include <QProcess>
#include <QString>

#include <unistd.h>

namespace orlix {

namespace {

constexpr const char* kHelperName = "orlix-helper";

} // namespace

XdgAutostartLoginItem::XdgAutostartLoginItem(
    std::filesystem::path entryFile, std::filesystem::path helperProgram, std::string version,
    std::shared_ptr<RunningApplications> runningApplications, Launcher launcher)
    : entryFile_(std::move(entryFile))
    , helperProgram_(std::move(helperProgram))
    , version_(std::move(version))
    , runningApplications_(std::move(runningApplications))
    , launcher_(std::move(launcher)) {}

void XdgAutostartLoginItem::setLoginItemEnabled(bool enabled) {
    if (!enabled) {
        AutostartEntry::remove(entryFile_);
        return;
    }
    AutostartEntry::write(entryFile_, AutostartEntry::contents(helperProgram_, version_));
    if (runningApplications_->runningApplications(loginItemBundleIdentifier).empty() && launcher_) {
        launcher_(helperProgram_);
    }
}

std::filesystem::path
XdgAutostartLoginItem::helperProgram(const std::filesystem::path& ownProgram) {
    const auto folder = ownProgram.parent_path();
    const auto sibling = folder / kHelperName;
    if (::access(sibling.c_str(), X_OK) == 0) {
        return sibling;
    }
    return (folder / ".." / "libexec" / "orlix" / kHelperName).lexically_normal();
}

void XdgAutostartLoginItem::startDetached(const std::filesystem::path& program) {
    QProcess::startDetached(QString::fromStdString(program.string()), {});
}

} // namespace orlix
