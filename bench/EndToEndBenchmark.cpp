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
#include <sstream>
#include <thread>

extern char** environ;

namespace orlix::bench {

namespace fs = std::filesystem;
using Tools = BenchTools;

namespace {

constexpr int runs = 5;
// A run that has not ended by then has hung.
constexpr auto runLimit = std::chrono::minutes(10);
// The program stays open after a failed task, with its results message. A run whose failures are
// known ends once its outputs are in and its processes used no processor time for this long...
constexpr auto settled = std::chrono::seconds(1);
// ... and one whose failures are not known yet, once nothing moved for longer than the program
// waits after its last task before it quits by itself.
constexpr auto stalled = std::chrono::seconds(8);
constexpr auto terminationLimit = std::chrono::seconds(10);

double seconds(const timeval& time) {
    return double(time.tv_sec) + double(time.tv_usec) / 1e6;
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

// The inputs that have no output beside them.
std::vector<fs::path> withoutOutput(const std::vector<fs::path>& inputs) {
    std::vector<fs::path> missing;
    for (const auto& input : inputs) {
        const auto prefix = input.stem().string() + "-orlix";
        bool found = false;
        for (const auto& entry : fs::directory_iterator(input.parent_path())) {
            found = found || entry.path().filename().string().rfind(prefix, 0) == 0;
        }
        if (!found) {
            missing.push_back(input);
        }
    }
    return missing;
}

std::string names(const std::vector<fs::path>& paths) {
    std::string text;
    for (const auto& path : paths) {
        text += (text.empty() ? "" : ", ") + path.filename().string();
    }
    return text.empty() ? "none" : text;
}

// Ends a process group: SIGTERM, then SIGKILL when it does not end in time.
void terminate(pid_t pid, int& status, rusage& usage) {
    ::kill(-pid, SIGTERM);
    const auto start = std::chrono::steady_clock::now();
    while (::wait4(pid, &status, WNOHANG, &usage) == 0) {
        if (std::chrono::steady_clock::now() - start > terminationLimit) {
            ::kill(-pid, SIGKILL);
            ::wait4(pid, &status, 0, &usage);
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
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

} // namespace

EndToEndBenchmark::Run EndToEndBenchmark::runProgram(const fs::path& program,
                                                     const std::vector<fs::path>& inputs,
                                                     const fs::path& scratch,
                                                     std::optional<std::size_t> expected,
                                                     ProcessPeaks* peaks) {
    static int number = 0;
    std::vector<std::string> arguments{program.string(), "-no-helper-install", "-quick-optimize"};
    for (const auto& input : inputs) {
        arguments.push_back(input.string());
    }
    Run run;
    const auto start = std::chrono::steady_clock::now();
    const auto pid = Tools::spawn(arguments, environment(scratch, ++number));
    if (!pid) {
        return run;
    }
    const fs::path folder = inputs.front().parent_path();
    const std::size_t outputsDue = expected.value_or(inputs.size());
    rusage usage{};
    int status = 0;
    std::size_t outputs = 0;
    double cpu = -1;
    auto lastChange = start;
    while (::wait4(*pid, &status, WNOHANG, &usage) == 0) {
        if (peaks != nullptr) {
            peaks->look(*pid);
        }
        const auto now = std::chrono::steady_clock::now();
        const std::size_t counted = outputCount(folder);
        const double used = Tools::groupCPUSeconds(*pid);
        if (counted != outputs) {
            run.outputsWall = Tools::secondsSince(start);
        }
        if (counted != outputs || used != cpu) {
            lastChange = now;
        }
        outputs = counted;
        cpu = used;
        run.complete = run.complete || outputs >= outputsDue;
        // Every input has its output or its failure, and the program sits on its results.
        const bool failed = outputs < inputs.size() && (run.complete ? now - lastChange > settled
                                                                     : now - lastChange > stalled);
        if (failed || now - start > runLimit) {
            terminate(*pid, status, usage);
            run.terminated = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    run.exitWall = Tools::secondsSince(start);
    run.complete = outputCount(folder) >= outputsDue;
    if (run.outputsWall == 0) {
        run.outputsWall = run.exitWall;
    }
    run.cpu = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    run.failed = withoutOutput(inputs);
    // An input that failed stays as it was, and counts at its own size, as the peers' skipped
    // PNGs do.
    run.bytes = takeOutputs(folder);
    for (const auto& input : run.failed) {
        run.bytes += double(fs::file_size(input));
    }
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
    // The first run tells which inputs fail; the program then ends once the others are written.
    Run result = runProgram(program, inputs, scratch);
    const std::size_t expected = inputs.size() - result.failed.size();
    result.complete = true;
    std::vector<double> outputs, exits, cpus;
    for (int run = 0; run < runs; ++run) {
        Tools::waitForIdle();
        const Run one = runProgram(program, inputs, scratch, expected);
        outputs.push_back(one.outputsWall);
        exits.push_back(one.exitWall);
        cpus.push_back(one.cpu);
        result.complete = result.complete && one.complete;
        result.terminated = result.terminated || one.terminated;
        result.bytes = one.bytes;
    }
    result.outputsWall = Tools::median(outputs);
    result.exitWall = Tools::median(exits);
    result.cpu = Tools::median(cpus);
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

std::vector<fs::path> EndToEndBenchmark::reducible(const std::vector<fs::path>& inputs,
                                                   const fs::path& program,
                                                   const fs::path& peerFolder,
                                                   const fs::path& scratch) {
    const Run trial = runProgram(program, inputs, scratch);
    runPeers(writePeerJobs(inputs, peerFolder, scratch));
    std::vector<fs::path> kept, neither;
    for (const auto& input : inputs) {
        const auto peer = peerFolder / input.filename();
        const bool peerReduced = fs::exists(peer) && fs::file_size(peer) < fs::file_size(input);
        const bool failed =
            std::find(trial.failed.begin(), trial.failed.end(), input) != trial.failed.end();
        (failed && !peerReduced ? neither : kept).push_back(input);
    }
    std::cout << "  failed in Orlix: " << names(trial.failed)
              << "; made smaller by neither side, left out: " << names(neither) << "\n";
    return kept;
}

void EndToEndBenchmark::run(const std::vector<fs::path>& images,
                            const std::vector<fs::path>& programs, const fs::path& scratch) {
    const auto folder = scratch / "end-to-end";
    const auto peerFolder = scratch / "end-to-end-peers";
    fs::create_directories(folder);
    fs::create_directories(peerFolder);
    std::vector<fs::path> copies;
    for (const auto& image : images) {
        fs::copy_file(image, folder / image.filename(), fs::copy_options::overwrite_existing);
        copies.push_back(folder / image.filename());
    }
    if (copies.empty()) {
        return;
    }
    const int workers = ExportQueue::maxConcurrentOperationCount(Preferences::defaultPerformance());
    std::cout << "End to end over " << copies.size() << " mixed inputs, " << workers
              << " workers a side, medians of " << runs
              << " runs (idle >= " << int(Tools::waitForIdle() * 100) << " % at the start)\n";
    const auto inputs = reducible(copies, programs.front(), peerFolder, scratch);
    for (const auto& copy : copies) {
        if (std::find(inputs.begin(), inputs.end(), copy) == inputs.end()) {
            fs::remove(copy);
        }
    }
    if (inputs.empty()) {
        return;
    }
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
    const double peerWall = Tools::median(walls);
    std::cout << "  peers (pngquant --skip-if-larger; djpeg | cjpeg at Orlix's quality; xargs -P "
              << workers << ") over " << inputs.size() << " inputs: " << peerWall << " s wall, "
              << Tools::median(cpus) << " s CPU, " << peerBytes << " B\n";
    for (const auto& program : programs) {
        const Run ours = median(program, inputs, scratch);
        std::cout << "  " << program.string() << (ours.complete ? "" : " (INCOMPLETE)") << ": "
                  << ours.outputsWall << " s wall to its last output ("
                  << (ours.terminated ? "ended by SIGTERM after its failures, " : "")
                  << ours.exitWall << " s to its end), " << ours.cpu << " s CPU, " << ours.bytes
                  << " B; wall ratio " << ours.outputsWall / peerWall << ", size ratio "
                  << ours.bytes / peerBytes << "; failed: " << names(ours.failed) << "\n";
    }
    measurePeakMemory(images, programs, scratch);
    std::cout << "\n";
}

void EndToEndBenchmark::measurePeakMemory(const std::vector<fs::path>& images,
                                          const std::vector<fs::path>& programs,
                                          const fs::path& scratch) {
    for (const auto& largest : {BenchTools::largestJPEG(images), BenchTools::largestPNG(images)}) {
        if (largest) {
            measurePeakMemory(*largest, programs, scratch);
        }
    }
}

void EndToEndBenchmark::measurePeakMemory(const fs::path& image,
                                          const std::vector<fs::path>& programs,
                                          const fs::path& scratch) {
    const auto loaded = BitmapImageRepWithMetadata::load(Url::fileUrl(image));
    if (!loaded) {
        return;
    }
    const auto folder = scratch / "end-to-end-largest";
    fs::create_directories(folder);
    const auto input = folder / image.filename();
    fs::copy_file(image, input, fs::copy_options::overwrite_existing);
    const auto& bitmap = *loaded->bitmapImageRep();
    const double decoded = double(bitmap.pixelsWide()) * bitmap.pixelsHigh() * 4.0 / 1024.0;
    const auto inMiB = [decoded](double kilobytes) {
        std::ostringstream text;
        text << kilobytes / 1024.0 << " MiB = " << kilobytes / decoded << " x";
        return text.str();
    };
    for (const auto& program : programs) {
        Tools::waitForIdle();
        ProcessPeaks peaks;
        runProgram(program, {input}, scratch, std::nullopt, &peaks);
        std::cout << "  peak memory of " << program.string() << " on " << input.filename().string()
                  << " with its thumbnail: " << inMiB(peaks.programKilobytes())
                  << " its decoded RGBA size";
        if (peaks.childKilobytes() > 0) {
            std::cout << "; of its service: " << inMiB(peaks.childKilobytes());
        }
        std::cout << "\n";
    }
    fs::remove(input);
}

} // namespace orlix::bench
