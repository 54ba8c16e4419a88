#include "WholeProcessBenchmark.h"

#include "BenchTools.h"
#include "Export/BitmapImageRep.h"
#include "Export/BitmapImageRepWithMetadata.h"
#include "Export/JPEGCompressor.h"
#include "Export/JPEGQualityCalculator.h"

#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <sstream>
#include <thread>

extern char** environ;

namespace orlix::bench {

namespace fs = std::filesystem;
using Tools = BenchTools;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int runs = 3;
// Orlix quits by itself 5.3 s after its last task; one that failed stays open on its results.
constexpr auto outputLimit = std::chrono::seconds(60);
constexpr auto exitLimit = std::chrono::seconds(20);
constexpr auto callgrindLimit = std::chrono::minutes(10);
// The photos the targets speak of: 2 megapixels and more.
constexpr double photoMinimum = 2e6;

double seconds(const timeval& time) {
    return double(time.tv_sec) + double(time.tv_usec) / 1e6;
}

double childrenCPU() {
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The environment of this process with `variables` put first, in place of those they name.
std::vector<std::string> with(const std::vector<std::string>& variables) {
    std::vector<std::string> result = variables;
    for (char** variable = environ; *variable != nullptr; ++variable) {
        const std::string text = *variable;
        const auto name = text.substr(0, text.find('=') + 1);
        const bool replaced =
            std::any_of(variables.begin(), variables.end(),
                        [&](const std::string& v) { return v.starts_with(name); });
        if (!replaced) {
            result.push_back(text);
        }
    }
    return result;
}

// Waits for a process, at most `limit`; ends its group when it does not end in time.
bool reap(pid_t pid, std::chrono::seconds limit) {
    const auto deadline = Clock::now() + limit;
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        if (Clock::now() > deadline) {
            ::kill(-pid, SIGTERM);
            std::this_thread::sleep_for(std::chrono::seconds(1));
            ::kill(-pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// Whether a file of that name appeared in the watched folder, from the events read now.
bool appeared(int watch, const std::string& name) {
    alignas(inotify_event) char buffer[4096];
    bool found = false;
    for (ssize_t length; (length = ::read(watch, buffer, sizeof buffer)) > 0;) {
        for (ssize_t at = 0; at < length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            found = found || (event->len > 0 && name == event->name);
            at += ssize_t(sizeof(inotify_event) + event->len);
        }
    }
    return found;
}

std::string percent(double ratio) {
    std::ostringstream text;
    text << std::fixed << std::setprecision(2) << ratio;
    return text.str();
}

std::string milliseconds(double value) {
    std::ostringstream text;
    text << std::fixed << std::setprecision(0) << value * 1000 << " ms";
    return text.str();
}

int qualityFor(const fs::path& photo) {
    const auto loaded = BitmapImageRepWithMetadata::load(Url::fileUrl(photo));
    return loaded ? JPEGQualityCalculator(loaded->bitmapImageRep(), loaded->metadata())
                        .automaticJPEGQuality()
                  : 75;
}

double megapixels(const fs::path& photo) {
    const auto loaded = BitmapImageRepWithMetadata::load(Url::fileUrl(photo));
    return loaded ? double(loaded->bitmapImageRep()->pixelsWide()) *
                        loaded->bitmapImageRep()->pixelsHigh()
                  : 0.0;
}

// A photo of one pixel with a comment of a few kilobytes, which its export leaves out, so that the
// output is smaller and written.
fs::path onePixelPhoto(const fs::path& folder) {
    const auto bitmap = BitmapImageRep::make(1, 1, CoarseBitmapInfo::rgbaSRGB());
    std::fill_n(bitmap->row(0), 4, std::uint8_t{200});
    auto encoded =
        *compressJPEG({bitmap->data(), bitmap->byteCount()}, 90, 1, 1, false, true, 1.0, 1.0);
    constexpr std::size_t commentLength = 4000;
    std::vector<std::uint8_t> comment{0xFF, 0xFE, std::uint8_t((commentLength + 2) >> 8),
                                      std::uint8_t((commentLength + 2) & 0xFF)};
    comment.resize(comment.size() + commentLength, 'x');
    encoded.insert(encoded.begin() + 2, comment.begin(), comment.end());
    const auto path = folder / "one-pixel.jpg";
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(encoded.data()), std::streamsize(encoded.size()));
    return path;
}

// A session bus of the benchmark's own, so that no run reaches the desktop's; ended with it.
class SessionBus {
public:
    SessionBus() {
        const auto text = Tools::output("dbus-daemon --session --fork --print-address=1 "
                                        "--print-pid=1 2>/dev/null");
        std::istringstream lines(text);
        std::getline(lines, address_);
        lines >> pid_;
    }
    ~SessionBus() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
        }
    }
    SessionBus(const SessionBus&) = delete;
    SessionBus& operator=(const SessionBus&) = delete;

    const std::string& address() const { return address_; }

private:
    std::string address_;
    pid_t pid_ = 0;
};

// An X server with a window manager, as on a desktop; empty when Xvfb or openbox is missing.
class XDisplay {
public:
    XDisplay() {
        int number = 70;
        while (fs::exists("/tmp/.X11-unix/X" + std::to_string(number))) {
            ++number;
        }
        name_ = ":" + std::to_string(number);
        const auto server = Tools::spawn(
            {"Xvfb", name_, "-screen", "0", "1920x1080x24", "-nolisten", "tcp"}, with({}));
        server_ = server.value_or(0);
        const auto socket = "/tmp/.X11-unix/X" + std::to_string(number);
        for (int tries = 0; server_ > 0 && tries < 100 && !fs::exists(socket); ++tries) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        if (!fs::exists(socket)) {
            name_.clear();
            return;
        }
        manager_ = Tools::spawn({"openbox"}, with({"DISPLAY=" + name_})).value_or(0);
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
    ~XDisplay() {
        for (const pid_t pid : {manager_, server_}) {
            if (pid > 0) {
                ::kill(-pid, SIGTERM);
                ::waitpid(pid, nullptr, 0);
            }
        }
    }
    XDisplay(const XDisplay&) = delete;
    XDisplay& operator=(const XDisplay&) = delete;

    const std::string& name() const { return name_; }

private:
    std::string name_;
    pid_t server_ = 0;
    pid_t manager_ = 0;
};

// What the callgrind files of one run's threads hold: per thread, each function's inclusive
// instructions and the thread's total.
struct ThreadCounts {
    std::map<std::string, double> functions;
    double total = 0;

    // The most any function whose name holds `pattern` counted: the outermost of them.
    double inclusive(const std::string& pattern) const {
        double most = 0;
        for (const auto& [name, count] : functions) {
            if (name.find(pattern) != std::string::npos) {
                most = std::max(most, count);
            }
        }
        return most;
    }
    bool has(const std::string& pattern) const { return inclusive(pattern) > 0; }
};

ThreadCounts countsOf(const fs::path& file) {
    ThreadCounts counts;
    std::istringstream lines(Tools::output("callgrind_annotate --inclusive=yes --threshold=100 " +
                                           Tools::quoted(file) + " 2>/dev/null"));
    for (std::string line; std::getline(lines, line);) {
        std::string digits;
        std::size_t at = line.find_first_not_of(' ');
        while (at < line.size() &&
               (std::isdigit(static_cast<unsigned char>(line[at])) != 0 || line[at] == ',')) {
            if (line[at] != ',') {
                digits += line[at];
            }
            ++at;
        }
        const auto name = line.find(")  ");
        if (digits.empty() || name == std::string::npos) {
            continue;
        }
        const double count = std::stod(digits);
        if (line.find("PROGRAM TOTALS") != std::string::npos) {
            counts.total = count;
        } else {
            auto& kept = counts.functions[line.substr(name + 3)];
            kept = std::max(kept, count);
        }
    }
    return counts;
}

} // namespace

WholeProcessBenchmark::Timing
WholeProcessBenchmark::runOrlix(const fs::path& program, const fs::path& photo,
                                const std::vector<std::string>& variables) {
    Timing timing;
    const auto output = photo.stem().string() + "-orlix.jpg";
    fs::remove(photo.parent_path() / output);
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ::inotify_add_watch(watch, photo.parent_path().c_str(), IN_CREATE | IN_MOVED_TO);
    const double before = childrenCPU();
    const auto start = Clock::now();
    const auto pid =
        Tools::spawn({program.string(), "-no-helper-install", "-quick-optimize", photo.string()},
                     with(variables));
    while (pid && !timing.written && Clock::now() - start < outputLimit &&
           ::waitpid(*pid, nullptr, WNOHANG) == 0) {
        pollfd ready{watch, POLLIN, 0};
        ::poll(&ready, 1, 5);
        if (appeared(watch, output)) {
            timing.wall = Tools::secondsSince(start);
            timing.written = true;
        }
    }
    ::close(watch);
    if (pid) {
        timing.written = reap(*pid, exitLimit) && timing.written;
    }
    timing.cpu = childrenCPU() - before;
    return timing;
}

WholeProcessBenchmark::Timing WholeProcessBenchmark::runPeer(const fs::path& photo, int quality) {
    Timing timing;
    const auto output = photo.parent_path() / (photo.stem().string() + "-peer.jpg");
    const double before = childrenCPU();
    const auto start = Clock::now();
    const auto pid =
        Tools::spawn({"sh", "-c",
                      "djpeg " + Tools::quoted(photo) + " | cjpeg -progressive -quality " +
                          std::to_string(quality) + " > " + Tools::quoted(output)},
                     with({}));
    timing.written = pid && reap(*pid, outputLimit) && fs::exists(output);
    timing.wall = Tools::secondsSince(start);
    timing.cpu = childrenCPU() - before;
    fs::remove(output);
    return timing;
}

void WholeProcessBenchmark::measureCorpus(const std::vector<fs::path>& photos,
                                          const std::vector<fs::path>& programs,
                                          const Display& display, const fs::path& scratch) {
    std::cout << "Whole process, one photo a launch, " << display.name
              << ": wall from exec to the output, CPU to the process's end; medians of " << runs
              << " runs, interleaved with djpeg | cjpeg -progressive at Orlix's quality\n";
    for (std::size_t index = 0; index < programs.size(); ++index) {
        const auto& program = programs[index];
        auto variables = display.variables;
        const auto config = scratch / ("whole-config-" + display.name + std::to_string(index));
        fs::create_directories(config);
        variables.push_back("XDG_CONFIG_HOME=" + config.string());
        std::vector<double> wallRatios, cpuRatios;
        std::cout << "  " << program.string() << "\n";
        for (const auto& photo : photos) {
            const int quality = qualityFor(photo);
            // A first run of each side warms the page cache and writes Orlix's preferences.
            runOrlix(program, photo, variables);
            runPeer(photo, quality);
            std::vector<double> ourWalls, ourCPUs, peerWalls, peerCPUs;
            bool written = true;
            for (int run = 0; run < runs; ++run) {
                Tools::waitForIdle();
                const auto ours = runOrlix(program, photo, variables);
                Tools::waitForIdle();
                const auto peer = runPeer(photo, quality);
                written = written && ours.written && peer.written;
                ourWalls.push_back(ours.wall);
                ourCPUs.push_back(ours.cpu);
                peerWalls.push_back(peer.wall);
                peerCPUs.push_back(peer.cpu);
            }
            const double pixels = megapixels(photo);
            const double wall = Tools::median(ourWalls) / Tools::median(peerWalls);
            const double cpu = Tools::median(ourCPUs) / Tools::median(peerCPUs);
            double load = 0;
            std::ifstream("/proc/loadavg") >> load;
            std::cout << "    " << photo.filename().string() << " (" << std::setprecision(3)
                      << pixels / 1e6 << " MP, quality " << quality << ")"
                      << (written ? "" : " NOT WRITTEN") << ": wall "
                      << milliseconds(Tools::median(ourWalls)) << " / "
                      << milliseconds(Tools::median(peerWalls)) << " = " << percent(wall)
                      << ", CPU " << milliseconds(Tools::median(ourCPUs)) << " / "
                      << milliseconds(Tools::median(peerCPUs)) << " = " << percent(cpu) << ", load "
                      << load << "\n";
            if (written && pixels >= photoMinimum) {
                wallRatios.push_back(wall);
                cpuRatios.push_back(cpu);
            }
        }
        if (!wallRatios.empty()) {
            std::cout << "    " << wallRatios.size() << " photos of 2 MP or more: wall median "
                      << percent(Tools::median(wallRatios)) << ", worst "
                      << percent(*std::max_element(wallRatios.begin(), wallRatios.end()))
                      << "; CPU median " << percent(Tools::median(cpuRatios)) << ", worst "
                      << percent(*std::max_element(cpuRatios.begin(), cpuRatios.end())) << "\n";
        }
    }
}

std::map<std::string, double>
WholeProcessBenchmark::stages(const fs::path& program, const fs::path& photo,
                              const std::vector<std::string>& variables, const fs::path& scratch) {
    const auto folder = scratch / "callgrind";
    fs::remove_all(folder);
    fs::create_directories(folder);
    fs::remove(photo.parent_path() / (photo.stem().string() + "-orlix.jpg"));
    const auto pid =
        Tools::spawn({"valgrind", "--tool=callgrind", "--separate-threads=yes",
                      "--callgrind-out-file=" + (folder / "run").string(), program.string(),
                      "-no-helper-install", "-quick-optimize", photo.string()},
                     with(variables));
    std::map<std::string, double> stage;
    if (!pid || !reap(*pid, std::chrono::duration_cast<std::chrono::seconds>(callgrindLimit))) {
        return stage;
    }
    double total = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const auto counts = countsOf(entry.path());
        total += counts.total;
        if (counts.has("WorkerThreads::forEach(unsigned long, std::function<void (unsigned long)> "
                       "const&)::{lambda") &&
            !counts.has("Operation::start()")) {
            // A helper thread of a colour conversion or of the quality's resize.
            const double colour = counts.inclusive("orlix::ColorTransform::");
            stage["colour"] += colour;
            stage["quality"] += counts.total - colour;
        } else if (counts.has("Operation::start()")) {
            const double load = counts.inclusive("orlix::BitmapImageRepWithMetadata::load(");
            const double colour = counts.inclusive("orlix::ColorTransform::");
            const double quality =
                counts.inclusive("orlix::JPEGQualityCalculator::automaticJPEGQuality");
            const double encode = counts.inclusive("orlix::compressJPEG(");
            const double write = counts.inclusive("orlix::ExportFileWriter::write(");
            stage["decode"] += load - colour;
            stage["colour"] += colour;
            stage["quality"] += quality;
            stage["encode"] += encode;
            stage["write"] += write;
            stage["export's other work"] += counts.total - load - quality - encode - write;
        } else if (counts.has("orlix::ThumbnailCache::imageThumbnail")) {
            stage["thumbnail"] += counts.total;
        }
    }
    double staged = 0;
    for (const auto& [name, count] : stage) {
        staged += count;
    }
    stage["start-up and interface"] = total - staged;
    stage["total"] = total;
    return stage;
}

void WholeProcessBenchmark::printStages(const std::vector<fs::path>& programs,
                                        const fs::path& photo,
                                        const std::vector<std::string>& variables,
                                        const fs::path& scratch) {
    std::cout << "Instructions by stage of the whole process on " << photo.filename().string()
              << " (" << std::setprecision(3) << megapixels(photo) / 1e6
              << " MP), callgrind, every thread:\n";
    std::vector<std::map<std::string, double>> counts;
    for (const auto& program : programs) {
        counts.push_back(stages(program, photo, variables, scratch));
    }
    std::cout << "  | stage |";
    for (const auto& program : programs) {
        std::cout << " " << program.string() << " |";
    }
    std::cout << "\n  |---|" << std::string(programs.size() * 4, '-') << "\n";
    for (const char* name : {"start-up and interface", "decode", "colour", "quality", "encode",
                             "thumbnail", "write", "export's other work", "total"}) {
        std::cout << "  | " << name << " |";
        for (const auto& stage : counts) {
            const auto found = stage.find(name);
            std::cout << " " << std::setprecision(4)
                      << (found == stage.end() ? 0.0 : found->second / 1e6) << " M |";
        }
        std::cout << "\n";
    }
}

std::optional<fs::path>
WholeProcessBenchmark::nearestToFourMegapixels(const std::vector<fs::path>& photos) {
    std::optional<fs::path> nearest;
    double distance = 0;
    for (const auto& photo : photos) {
        const double away = std::abs(megapixels(photo) - 4e6);
        if (!nearest || away < distance) {
            nearest = photo;
            distance = away;
        }
    }
    return nearest;
}

void WholeProcessBenchmark::run(const std::vector<fs::path>& images,
                                const std::vector<fs::path>& programs, const fs::path& scratch) {
    const auto folder = scratch / "whole-process";
    fs::create_directories(folder);
    std::vector<fs::path> photos{onePixelPhoto(folder)};
    for (const auto& image : images) {
        if (image.extension() != ".png") {
            photos.push_back(folder / image.filename());
            fs::copy_file(image, photos.back(), fs::copy_options::overwrite_existing);
        }
    }
    const SessionBus bus;
    const auto runtime = scratch / "whole-runtime";
    fs::create_directories(runtime);
    fs::permissions(runtime, fs::perms::owner_all);
    const std::vector<std::string> common{"DBUS_SESSION_BUS_ADDRESS=" + bus.address(),
                                          "XDG_RUNTIME_DIR=" + runtime.string()};
    auto offscreen = common;
    offscreen.push_back("QT_QPA_PLATFORM=offscreen");
    measureCorpus(photos, programs, {"offscreen", offscreen}, scratch);
    if (const XDisplay display; !display.name().empty()) {
        auto x = common;
        x.insert(x.end(), {"QT_QPA_PLATFORM=xcb", "DISPLAY=" + display.name()});
        measureCorpus(photos, programs, {"Xvfb and openbox", x}, scratch);
    }
    photos.erase(photos.begin());
    if (const auto photo = nearestToFourMegapixels(photos)) {
        printStages(programs, *photo, offscreen, scratch);
    }
    std::cout << "\n";
}

} // namespace orlix::bench
