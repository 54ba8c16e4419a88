#include "Desktop/ApplicationInstance.h"

#include <algorithm>

namespace orlix {

bool ApplicationInstance::handOver(const std::vector<std::string>& paths,
                                   const std::vector<std::string>& arguments,
                                   std::chrono::milliseconds limit) {
    const auto start = std::chrono::steady_clock::now();
    // Wall-clock time, since the deadline travels to another process.
    if (forward(paths, arguments,
                std::chrono::system_clock::now() + std::min(kAnswerWait, limit))) {
        return true;
    }
    const auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    waitUntilReleased(std::max(limit - spent, std::chrono::milliseconds(0)));
    return false;
}

} // namespace orlix
