#pragma once

#include <cstddef>
#include <functional>

namespace orlix {

// Shares numbered pieces of one image's work among a few threads, the calling one included.
class WorkerThreads {
public:
    // Runs `work(index)` for every index below `count`, each once, and returns when all are done.
    static void forEach(std::size_t count, const std::function<void(std::size_t)>& work);

    // Other exports run at the same time; a few threads per image are enough for a short wait.
    static constexpr std::size_t maxThreads = 4;
};

} // namespace orlix
