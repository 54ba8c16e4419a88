#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace orlix::bench {

// The program as a user meets it: `orlix -no-helper-install -quick-optimize PHOTO`, one photo a
// launch, from exec to its output (wall) and to its own exit (CPU), against
// `djpeg | cjpeg -progressive -quality Q` at the quality Orlix chose, the two interleaved, on Qt's
// offscreen platform and on an X display with a window manager (Xvfb, openbox), each with a
// session bus of the benchmark's own. Start-up is measured apart on a 1 x 1 photo. Then the
// instructions of each stage of one 4-megapixel photo's whole process (callgrind), for each
// program measured.
class WholeProcessBenchmark {
public:
    // `programs`: the orlix executables to measure, the first one the build's.
    static void run(const std::vector<std::filesystem::path>& images,
                    const std::vector<std::filesystem::path>& programs,
                    const std::filesystem::path& scratch);

private:
    struct Timing {
        double wall = 0; // to the output
        double cpu = 0;  // to the end of the process, user and system
        bool written = false;
    };
    // The display a run is made on: the environment it adds.
    struct Display {
        std::string name;
        std::vector<std::string> variables;
    };

    static void measureCorpus(const std::vector<std::filesystem::path>& photos,
                              const std::vector<std::filesystem::path>& programs,
                              const Display& display, const std::filesystem::path& scratch);
    static Timing runOrlix(const std::filesystem::path& program, const std::filesystem::path& photo,
                           const std::vector<std::string>& variables);
    static Timing runPeer(const std::filesystem::path& photo, int quality);
    // Instructions by stage, from a callgrind run of the program on the photo.
    static std::map<std::string, double> stages(const std::filesystem::path& program,
                                                const std::filesystem::path& photo,
                                                const std::vector<std::string>& variables,
                                                const std::filesystem::path& scratch);
    static void printStages(const std::vector<std::filesystem::path>& programs,
                            const std::filesystem::path& photo,
                            const std::vector<std::string>& variables,
                            const std::filesystem::path& scratch);
    static std::optional<std::filesystem::path>
    nearestToFourMegapixels(const std::vector<std::filesystem::path>& photos);
};

} // namespace orlix::bench
