#include "Program/SessionHelpers.h"

#include <csignal>
#include <fstream>
#include <iterator>
#include <thread>

namespace orlix::testing {

namespace fs = std::filesystem;

namespace {

bool hasVariable(const fs::path& environFile, const std::string& assignment) {
    std::ifstream in(environFile, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::size_t start = 0;
    while (start < text.size()) {
        const auto end = text.find('\0', start);
        if (text.compare(start, end - start, assignment) == 0) {
            return true;
        }
        start = end == std::string::npos ? text.size() : end + 1;
    }
    return false;
}

} // namespace

std::vector<pid_t> SessionHelpers::running() const {
    std::vector<pid_t> found;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/proc", error)) {
        const auto name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        std::error_code linkError;
        if (fs::read_symlink(entry.path() / "exe", linkError) == program_ &&
            hasVariable(entry.path() / "environ", "DBUS_SESSION_BUS_ADDRESS=" + busAddress_)) {
            found.push_back(static_cast<pid_t>(std::stol(name)));
        }
    }
    return found;
}

void SessionHelpers::endAll() const {
    for (const pid_t pid : running()) {
        ::kill(pid, SIGTERM);
    }
    for (int attempt = 0; attempt < 250 && !running().empty(); ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    for (const pid_t pid : running()) {
        ::kill(pid, SIGKILL);
    }
}

} // namespace orlix::testing
