#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace orlix::bench {

// Running the peer tools and the quality metric from the benchmark.
class BenchTools {
public:
    // ImageMagick 6 from the distribution; a stand-in named convert may come first on the PATH.
    static const std::string magick;

    static double secondsSince(std::chrono::steady_clock::time_point start);
    // The middle value (the upper of the two middle ones of an even count).
    static double median(std::vector<double> values);
    // Starts a program in a process group of its own, with its standard streams on /dev/null;
    // nothing when it could not be started.
    static std::optional<pid_t> spawn(std::vector<std::string> arguments,
                                      std::vector<std::string> variables);
    // Runs a shell command and returns its wall time, or a negative value when it failed.
    static double timed(const std::string& command);
    static std::string output(const std::string& command);
    static std::string quoted(const std::filesystem::path& path);
    // ssimulacra of a candidate against its reference: lower is better, 0 means identical.
    static double ssimulacra(const std::filesystem::path& reference,
                             const std::filesystem::path& candidate);
    // The worse of the scores with both pictures flattened on white and on black, which tells
    // wrong colour under transparency from right; for pictures with transparency.
    static double ssimulacraOnWhiteAndBlack(const std::filesystem::path& reference,
                                            const std::filesystem::path& candidate);

    // Waits, at most a second, until a quarter of the processors (two on eight, what a timed run
    // takes at most outside Zopfli) were idle over a tenth of a second; returns the idle share last
    // measured, so that a run on a busy machine says so.
    static double waitForIdle();

    // The CPU time (user + system) of the image-utilities services this process started, from
    // /proc: a service lives on between calls and is not reaped, so getrusage never counts it.
    // Clock-tick resolution (10 ms).
    static double serviceCPUSeconds();
    // The CPU time of the running processes of a process group, from /proc (clock ticks): those
    // that ended and were reaped no longer count.
    static double groupCPUSeconds(pid_t group);

    // The largest of the inputs that are not PNGs, the photo whose peak memory is measured.
    static std::optional<std::filesystem::path>
    largestJPEG(const std::vector<std::filesystem::path>& images);
    // The largest of the PNGs, by pixels, whose peak memory is measured with the service's.
    static std::optional<std::filesystem::path>
    largestPNG(const std::vector<std::filesystem::path>& images);

private:
    struct ProcessTime {
        std::string name; // as /proc gives it: "(" and the first 15 characters
        long parent;
        long group;
        double cpu;
    };
    static std::vector<ProcessTime> processTimes();

    // PNG for the metric: its PPM reader scores the same pixels differently.
    static std::filesystem::path asPNG(const std::filesystem::path& path);
    static std::filesystem::path flattened(const std::filesystem::path& path, const char* colour);
};

} // namespace orlix::bench
