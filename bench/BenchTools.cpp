#include "BenchTools.h"

#include "Export/Codec/ImageHeader.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <numeric>
#include <sstream>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

namespace orlix::bench {

namespace fs = std::filesystem;

const std::string BenchTools::magick = "/usr/bin/convert";

double BenchTools::secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double BenchTools::timed(const std::string& command) {
    const auto start = std::chrono::steady_clock::now();
    const int status = std::system(command.c_str());
    const double seconds = secondsSince(start);
    return status == 0 ? seconds : -1.0;
}

double BenchTools::median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

namespace {

std::vector<char*> pointers(std::vector<std::string>& texts) {
    std::vector<char*> result;
    for (auto& text : texts) {
        result.push_back(text.data());
    }
    result.push_back(nullptr);
    return result;
}

} // namespace

std::optional<pid_t> BenchTools::spawn(std::vector<std::string> arguments,
                                       std::vector<std::string> variables) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // A group of its own, so that a run that hangs is ended with whatever it started.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    for (const int descriptor : {0, 1, 2}) {
        posix_spawn_file_actions_addopen(&actions, descriptor, "/dev/null", O_RDWR, 0);
    }
    auto argv = pointers(arguments);
    auto envp = pointers(variables);
    pid_t pid = 0;
    const int error = posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    return error == 0 ? std::optional(pid) : std::nullopt;
}

std::string BenchTools::output(const std::string& command) {
    std::string text;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
            text += buffer;
        }
        ::pclose(pipe);
    }
    return text;
}

std::string BenchTools::quoted(const fs::path& path) {
    std::string text = "'";
    for (const char c : path.string()) {
        text += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return text + "'";
}

fs::path BenchTools::asPNG(const fs::path& path) {
    if (path.extension() != ".ppm") {
        return path;
    }
    auto png = path;
    png.replace_extension(".png");
    if (!fs::exists(png)) {
        timed(magick + " " + quoted(path) + " " + quoted(png));
    }
    return png;
}

double BenchTools::ssimulacra(const fs::path& reference, const fs::path& candidate) {
    const auto text = output("ssimulacra_main " + quoted(asPNG(reference)) + " " +
                             quoted(asPNG(candidate)) + " 2>/dev/null");
    return text.empty() ? -1.0 : std::stod(text);
}

fs::path BenchTools::flattened(const fs::path& path, const char* colour) {
    auto output = path;
    output.replace_extension(std::string(".on-") + colour + ".png");
    timed(magick + " " + quoted(path) + " -background " + colour + " -alpha remove -alpha off " +
          quoted(output));
    return output;
}

double BenchTools::ssimulacraOnWhiteAndBlack(const fs::path& reference, const fs::path& candidate) {
    double worst = 0;
    for (const char* colour : {"white", "black"}) {
        const double score = ssimulacra(flattened(reference, colour), flattened(candidate, colour));
        if (score < 0) {
            return score;
        }
        worst = std::max(worst, score);
    }
    return worst;
}

namespace {

// Idle and total jiffies of all processors since boot.
std::pair<double, double> processorTimes() {
    std::ifstream stat("/proc/stat");
    std::string label;
    stat >> label;
    std::vector<double> fields;
    double value = 0;
    while (fields.size() < 8 && stat >> value) {
        fields.push_back(value);
    }
    if (fields.size() < 5) {
        return {0, 0};
    }
    // user nice system idle iowait irq softirq steal: idle and iowait are idle time.
    return {fields[3] + fields[4], std::accumulate(fields.begin(), fields.end(), 0.0)};
}

} // namespace

double BenchTools::waitForIdle() {
    constexpr double enough = 0.25;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    double share = 0;
    do {
        const auto [idleBefore, totalBefore] = processorTimes();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const auto [idleAfter, totalAfter] = processorTimes();
        share =
            totalAfter > totalBefore ? (idleAfter - idleBefore) / (totalAfter - totalBefore) : 0;
    } while (share < enough && std::chrono::steady_clock::now() < deadline);
    return share;
}

std::vector<BenchTools::ProcessTime> BenchTools::processTimes() {
    std::vector<ProcessTime> processes;
    const double ticksPerSecond = double(::sysconf(_SC_CLK_TCK));
    for (const auto& entry : fs::directory_iterator("/proc")) {
        std::ifstream file(entry.path() / "stat");
        std::string line;
        if (!std::getline(file, line) || line.find(')') == std::string::npos) {
            continue;
        }
        // After the name: state, parent, group, then utime and stime as the 12th and 13th fields.
        std::istringstream fields(line.substr(line.rfind(')') + 2));
        std::vector<std::string> values(13);
        for (auto& value : values) {
            fields >> value;
        }
        if (!fields) {
            continue;
        }
        processes.push_back({line.substr(line.find('('), line.rfind(')') - line.find('(')),
                             std::stol(values[1]), std::stol(values[2]),
                             (std::stod(values[11]) + std::stod(values[12])) / ticksPerSecond});
    }
    return processes;
}

double BenchTools::serviceCPUSeconds() {
    // The kernel keeps the first 15 characters of the program's name.
    const std::string service = "(orlix-image-uti";
    double seconds = 0;
    for (const auto& process : processTimes()) {
        if (process.name == service && process.parent == ::getpid()) {
            seconds += process.cpu;
        }
    }
    return seconds;
}

double BenchTools::groupCPUSeconds(pid_t group) {
    double seconds = 0;
    for (const auto& process : processTimes()) {
        seconds += process.group == group ? process.cpu : 0.0;
    }
    return seconds;
}

std::optional<std::filesystem::path>
BenchTools::largestJPEG(const std::vector<std::filesystem::path>& images) {
    std::optional<std::filesystem::path> largest;
    for (const auto& image : images) {
        if (image.extension() != ".png" && (!largest || std::filesystem::file_size(image) >
                                                            std::filesystem::file_size(*largest))) {
            largest = image;
        }
    }
    return largest;
}

std::optional<std::filesystem::path>
BenchTools::largestPNG(const std::vector<std::filesystem::path>& images) {
    std::optional<std::filesystem::path> largest;
    std::uint64_t largestArea = 0;
    for (const auto& image : images) {
        const auto size =
            image.extension() == ".png" ? ImageHeader::pixelSize(image) : std::nullopt;
        if (size && size->area() > largestArea) {
            largest = image;
            largestArea = size->area();
        }
    }
    return largest;
}

} // namespace orlix::bench
