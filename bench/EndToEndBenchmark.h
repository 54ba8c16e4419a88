#pragma once

#include "ProcessPeaks.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace orlix::bench {

// The program itself, `orlix -quick-optimize` over a folder of mixed inputs (without installing
// the helper, with a configuration of its own, on Qt's offscreen platform), against the peer
// pipeline at the same parallelism: `pngquant --skip-if-larger` for PNGs and `djpeg | cjpeg` at the
// quality Orlix chose for JPEGs, run by `xargs -P` with as many workers as Orlix's export queue
// has. Medians of five runs after a warm-up, each after an idle check. The program stays open after
// a failed task: a run ends, with SIGTERM, once its outputs are written and it is idle, and inputs
// that neither side makes smaller are left out of the figures. Also the program's peak memory,
// thumbnails included, on the largest JPEG alone and on the largest PNG alone, with its service's.
class EndToEndBenchmark {
public:
    // `programs`: the orlix executables to measure, the first one the build's.
    static void run(const std::vector<std::filesystem::path>& images,
                    const std::vector<std::filesystem::path>& programs,
                    const std::filesystem::path& scratch);

private:
    struct Run {
        // Until the last output was in place, and until the program quit (it waits a few seconds
        // after its last task before it ends the run).
        double outputsWall = 0;
        double exitWall = 0;
        double cpu = 0;
        double bytes = 0;
        bool complete = false;
        // Ended by the benchmark, as the program stayed open on its failures (or hung).
        bool terminated = false;
        std::vector<std::filesystem::path> failed;
    };

    // `expected`: how many outputs the run makes when its failures are known; `peaks`, when
    // given, is kept up to date with the program's and its service's peak memory.
    static Run runProgram(const std::filesystem::path& program,
                          const std::vector<std::filesystem::path>& inputs,
                          const std::filesystem::path& scratch,
                          std::optional<std::size_t> expected = std::nullopt,
                          ProcessPeaks* peaks = nullptr);
    // The inputs that the program or its peers make smaller, from a run of each; says which
    // failed.
    static std::vector<std::filesystem::path>
    reducible(const std::vector<std::filesystem::path>& inputs,
              const std::filesystem::path& program, const std::filesystem::path& peerFolder,
              const std::filesystem::path& scratch);
    static Run median(const std::filesystem::path& program,
                      const std::vector<std::filesystem::path>& inputs,
                      const std::filesystem::path& scratch);
    static Run runPeers(const std::filesystem::path& jobs);
    static std::filesystem::path writePeerJobs(const std::vector<std::filesystem::path>& inputs,
                                               const std::filesystem::path& peerFolder,
                                               const std::filesystem::path& scratch);
    // The bytes of the outputs in the folder, which are then removed for the next run.
    static double takeOutputs(const std::filesystem::path& folder);
    static void measurePeakMemory(const std::vector<std::filesystem::path>& images,
                                  const std::vector<std::filesystem::path>& programs,
                                  const std::filesystem::path& scratch);
    static void measurePeakMemory(const std::filesystem::path& image,
                                  const std::vector<std::filesystem::path>& programs,
                                  const std::filesystem::path& scratch);
};

} // namespace orlix::bench
