#include "EndToEndBenchmark.h"

#include "BenchTools.h"
#include "Export/BitmapImageRepWithMetadata.h"
#include "Export/JPEGQualityCalculator.h"
#include "Model/Preferences.h"
#include "TaskProcessing/ExportQueue.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <optional>
#include <thread>

extern char** environ;

namespace orlix::bench {

namespace fs = std::filesystem;
using Tools = BenchTools;

namespace {

constexpr int runs = 5;
// A run that has not ended by then has hung, or stayed open on a failure.
constexpr auto runLimit = std::chrono::minutes(10);

double seconds(const timeval& time) {
    return double(time.tv_sec) + double(time.tv_usec) / 1e6;
}

double middle(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

bool isOutput(const fs::path& path) {
    const auto name = path.filename().string();
    return name.front() != '.' && name.find("-orlix") != std::string::npos;
}

std::size_t outputCount(const fs::path& folder) {
    std::size_t count = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        count += isOutput(entry.path()) ? 1 : 0;
    }
    return count;
}

// The environment with a configuration of the run's own, and a display that needs none.
std::vector<std::string> environment(const fs::path& scratch, int number) {
    const auto config = scratch / ("end-to-end-config-" + std::to_string(number));
    fs::create_directories(config);
    std::vector<std::string> variables{"XDG_CONFIG_HOME=" + config.string(),
                                       "QT_QPA_PLATFORM=offscreen"};
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const bool ownRuntime = runtime == nullptr || *runtime == '\0';
    if (ownRuntime) {
        const auto folder = scratch / "runtime";
        fs::create_directories(folder);
        fs::permissions(folder, fs::perms::owner_all);
        variables.push_back("XDG_RUNTIME_DIR=" + folder.string());
    }
    for (char** variable = environ; *variable != nullptr; ++variable) {
        const std::string text = *variable;
        const auto name = text.substr(0, text.find('=') + 1);
        if (name != "XDG_CONFIG_HOME=" && name != "QT_QPA_PLATFORM=" &&
            (name != "XDG_RUNTIME_DIR=" || !ownRuntime)) {
            variables.push_back(text);
        }
    }
    return variables;
}

std::vector<char*> pointers(std::vector<std::string>& texts) {
    std::vector<char*> result;
    for (auto& text : texts) {
        result.push_back(text.data());
    }
    result.push_back(nullptr);
    return result;
}

std::optional<pid_t> spawnQuietly(std::vector<std::string> arguments,
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
    const int error = posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    return error == 0 ? std::optional(pid) : std::nullopt;
}

} // namespace

EndToEndBenchmark::Run EndToEndBenchmark::runProgram(const fs::path& program,
                                                     const std::vector<fs::path>& inputs,
                                                     const fs::path& scratch,
                                                     std::vector<std::string> arguments) {
    static int number = 0;
    arguments.insert(arguments.end(), {program.string(), "-no-helper-install", "-quick-optimize"});
    for (const auto& input : inputs) {
        arguments.push_back(input.string());
    }
    Run run;
    const auto start = std::chrono::steady_clock::now();
    const auto pid = spawnQuietly(arguments, environment(scratch, ++number));
    if (!pid) {
        return run;
    }
    const fs::path folder = inputs.front().parent_path();
    rusage usage{};
    int status = 0;
    while (::wait4(*pid, &status, WNOHANG, &usage) == 0) {
        if (!run.complete && outputCount(folder) >= inputs.size()) {
            run.outputsWall = Tools::secondsSince(start);
            run.complete = true;
        }
        if (std::chrono::steady_clock::now() - start > runLimit) {
            ::kill(-*pid, SIGKILL);
            ::wait4(*pid, &status, 0, &usage);
            run.complete = false;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    run.exitWall = Tools::secondsSince(start);
    run.complete = run.complete || outputCount(folder) >= inputs.size();
    if (run.outputsWall == 0) {
        run.outputsWall = run.exitWall;
    }
    run.cpu = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    run.bytes = takeOutputs(folder);
    return run;
}

double EndToEndBenchmark::takeOutputs(const fs::path& folder) {
    double bytes = 0;
    std::vector<fs::path> outputs;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (isOutput(entry.path())) {
            bytes += double(entry.file_size());
            outputs.push_back(entry.path());
        }
    }
    for (const auto& output : outputs) {
        fs::remove(output);
    }
    return bytes;
}

EndToEndBenchmark::Run EndToEndBenchmark::median(const fs::path& program,
                                                 const std::vector<fs::path>& inputs,
                                                 const fs::path& scratch) {
    Run result = runProgram(program, inputs, scratch);
    std::vector<double> outputs, exits, cpus;
    for (int run = 0; run < runs; ++run) {
        Tools::waitForIdle();
        const Run one = runProgram(program, inputs, scratch);
        outputs.push_back(one.outputsWall);
        exits.push_back(one.exitWall);
        cpus.push_back(one.cpu);
        result.complete = result.complete && one.complete;
        result.bytes = one.bytes;
    }
    result.outputsWall = middle(outputs);
    result.exitWall = middle(exits);
    result.cpu = middle(cpus);
    return result;
}

fs::path EndToEndBenchmark::writePeerJobs(const std::vector<fs::path>& inputs,
                                          const fs::path& peerFolder, const fs::path& scratch) {
    const auto jobs = scratch / "peer-jobs.txt";
    std::ofstream file(jobs);
    for (const auto& input : inputs) {
        const auto output = Tools::quoted(peerFolder / input.filename());
        if (input.extension() == ".png") {
            file << "pngquant --skip-if-larger --force --output " << output << " -- "
                 << Tools::quoted(input) << "\n";
            continue;
        }
        const auto loaded = BitmapImageRepWithMetadata::load(Url::fileUrl(input));
        const int quality =
            loaded ? JPEGQualityCalculator(loaded->bitmapImageRep(), loaded->metadata())
                         .automaticJPEGQuality()
                   : 75;
        file << "djpeg " << Tools::quoted(input) << " | cjpeg -quality " << quality
             << " -progressive > " << output << "\n";
    }
    return jobs;
}

EndToEndBenchmark::Run EndToEndBenchmark::runPeers(const fs::path& jobs) {
    const int workers = ExportQueue::maxConcurrentOperationCount(Preferences::defaultPerformance());
    // Each line is one job's shell command; a PNG that pngquant skips fails its job, on purpose.
    const std::string command = "xargs -d '\\n' -n 1 -P " + std::to_string(workers) + " sh -c < " +
                                Tools::quoted(jobs) + " 2> /dev/null";
    Run run;
    rusage before{}, after{};
    ::getrusage(RUSAGE_CHILDREN, &before);
    const auto start = std::chrono::steady_clock::now();
    std::system(command.c_str());
    run.outputsWall = run.exitWall = Tools::secondsSince(start);
    ::getrusage(RUSAGE_CHILDREN, &after);
    run.cpu = seconds(after.ru_utime) + seconds(after.ru_stime) - seconds(before.ru_utime) -
              seconds(before.ru_stime);
    run.complete = true;
    return run;
}

void EndToEndBenchmark::run(const std::vector<fs::path>& images,
                            const std::vector<fs::path>& programs, const fs::path& scratch) {
    const auto folder = scratch / "end-to-end";
    const auto peerFolder = scratch / "end-to-end-peers";
    fs::create_directories(folder);
    fs::create_directories(peerFolder);
    std::vector<fs::path> inputs;
    for (const auto& image : images) {
        fs::copy_file(image, folder / image.filename(), fs::copy_options::overwrite_existing);
        inputs.push_back(folder / image.filename());
    }
    if (inputs.empty()) {
        return;
    }
    const int workers = ExportQueue::maxConcurrentOperationCount(Preferences::defaultPerformance());
    std::cout << "End to end over " << inputs.size() << " mixed inputs, " << workers
              << " workers a side, medians of " << runs
              << " runs (idle >= " << int(Tools::waitForIdle() * 100) << " % at the start)\n";
    const auto jobs = writePeerJobs(inputs, peerFolder, scratch);
    std::vector<double> walls, cpus;
    runPeers(jobs);
    for (int run = 0; run < runs; ++run) {
        Tools::waitForIdle();
        const Run one = runPeers(jobs);
        walls.push_back(one.exitWall);
        cpus.push_back(one.cpu);
    }
    double peerBytes = 0;
    for (const auto& input : inputs) {
        const auto output = peerFolder / input.filename();
        // A PNG that pngquant would make larger stays as it was.
        peerBytes += double(fs::file_size(fs::exists(output) ? output : input));
    }
    const double peerWall = middle(walls);
    std::cout << "  peers (pngquant --skip-if-larger; djpeg | cjpeg at Orlix's quality; xargs -P "
              << workers << "): " << peerWall << " s wall, " << middle(cpus) << " s CPU, "
              << peerBytes << " B\n";
    for (const auto& program : programs) {
        const Run ours = median(program, inputs, scratch);
        std::cout << "  " << program.string() << (ours.complete ? "" : " (INCOMPLETE)") << ": "
                  << ours.outputsWall << " s wall to its last output (" << ours.exitWall
                  << " s to its exit), " << ours.cpu << " s CPU, " << ours.bytes
                  << " B; wall ratio " << ours.outputsWall / peerWall << ", size ratio "
                  << ours.bytes / peerBytes << "\n";
    }
    measurePeakMemory(images, programs, scratch);
    std::cout << "\n";
}

void EndToEndBenchmark::measurePeakMemory(const std::vector<fs::path>& images,
                                          const std::vector<fs::path>& programs,
                                          const fs::path& scratch) {
    const auto largest = BenchTools::largestJPEG(images);
    const auto loaded =
        largest ? BitmapImageRepWithMetadata::load(Url::fileUrl(*largest)) : nullptr;
    if (!loaded) {
        return;
    }
    const auto folder = scratch / "end-to-end-largest";
    fs::create_directories(folder);
    const auto input = folder / largest->filename();
    fs::copy_file(*largest, input, fs::copy_options::overwrite_existing);
    const auto& bitmap = *loaded->bitmapImageRep();
    const double decoded = double(bitmap.pixelsWide()) * bitmap.pixelsHigh() * 4.0 / 1024.0;
    // Measured by time(1): a process started from this one would count this one's memory as
    // its own until it runs the program.
    const auto report = scratch / "peak-memory.txt";
    for (const auto& program : programs) {
        Tools::waitForIdle();
        runProgram(program, {input}, scratch, {"/usr/bin/time", "-f", "%M", "-o", report.string()});
        std::ifstream file(report);
        double kilobytes = -1;
        file >> kilobytes;
        std::cout << "  peak memory of " << program.string() << " on " << input.filename().string()
                  << " with its thumbnail: " << kilobytes / 1024.0
                  << " MiB = " << kilobytes / decoded << " x its decoded RGBA size\n";
    }
}

} // namespace orlix::bench
