// Measures Orlix's exports against the peer tools, in the same run on the same images, and prints
// ratios. It asserts nothing: the figures depend on the machine.

#include "BenchExport.h"
#include "BenchTools.h"
#include "CoreBenchmark.h"
#include "EndToEndBenchmark.h"
#include "Export/BitmapImageRepWithMetadata.h"
#include "JPEGBenchmark.h"
#include "PNGBenchmark.h"
#include "TaskProcessing/ThumbnailCache.h"
#include "WholeProcessBenchmark.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using namespace orlix::bench;

namespace {

// Photo-like, flat and grey pictures, as JPEG and PNG inputs.
std::vector<fs::path> generateImages(const fs::path& folder) {
    const std::vector<std::pair<std::string, std::string>> recipes = {
        {"photo.jpg", "-size 2400x1600 plasma:fractal -blur 0x1 -quality 92"},
        {"photo.png", "-size 1600x1200 plasma:fractal -blur 0x1"},
        {"interface.png", "-size 1600x1000 xc:'#f4f4f4' -fill '#2a6ad8' -draw 'rectangle "
                          "0,0 1600,80' -fill '#ffffff' -draw 'rectangle 100,150 900,900' "
                          "-fill '#333333' -pointsize 40 -draw \"text 150,250 'Settings'\""},
        {"icon.png", "-size 512x512 xc:none -fill '#e0482f' -draw 'circle 256,256 256,40' "
                     "-fill '#ffd23f' -draw 'circle 256,256 256,150' -blur 0x2"},
        {"grey.jpg", "-size 2000x1500 plasma:fractal -colorspace Gray -quality 90"},
    };
    std::vector<fs::path> images;
    for (const auto& [name, recipe] : recipes) {
        const auto path = folder / name;
        if (BenchTools::timed(BenchTools::magick + " " + recipe + " " + BenchTools::quoted(path)) >=
            0) {
            images.push_back(path);
        }
    }
    return images;
}

bool isImage(const fs::path& path) {
    const auto extension = path.extension();
    return extension == ".jpg" || extension == ".jpeg" || extension == ".png";
}

// The images among the given files and in the given folders, read recursively.
std::vector<fs::path> copyImages(const std::vector<fs::path>& sources, const fs::path& folder) {
    std::vector<fs::path> found;
    for (const auto& source : sources) {
        if (!fs::is_directory(source)) {
            found.push_back(source);
            continue;
        }
        for (const auto& entry : fs::recursive_directory_iterator(source)) {
            found.push_back(entry.path());
        }
    }
    std::vector<fs::path> images;
    for (const auto& path : found) {
        if (isImage(path) && fs::is_regular_file(path)) {
            fs::copy_file(path, folder / path.filename(), fs::copy_options::overwrite_existing);
            images.push_back(folder / path.filename());
        }
    }
    return images;
}

double peakKilobytes(const char* self, const char* mode, const fs::path& image) {
    const auto report = BenchTools::output("/usr/bin/time -v " + BenchTools::quoted(self) + " " +
                                           mode + " " + BenchTools::quoted(image) + " 2>&1");
    const auto at = report.find("Maximum resident set size (kbytes):");
    return at == std::string::npos ? -1.0 : std::stod(report.substr(at + 35));
}

// The peak memory of exporting the largest JPEG, measured on a child process: the export alone,
// and with its thumbnail made at the same time, as the application does.
void measurePeakMemory(const char* self, const std::vector<fs::path>& images) {
    const auto largest = BenchTools::largestJPEG(images);
    const auto loaded =
        largest ? orlix::BitmapImageRepWithMetadata::load(orlix::Url::fileUrl(*largest)) : nullptr;
    if (!loaded) {
        std::cout << "peak memory: no JPEG to measure\n";
        return;
    }
    const auto& bitmap = *loaded->bitmapImageRep();
    const double decoded = double(bitmap.pixelsWide()) * bitmap.pixelsHigh() * 4.0 / 1024.0;
    for (const char* mode : {"--export-one", "--export-one-with-thumbnail"}) {
        const double kilobytes = peakKilobytes(self, mode, *largest);
        std::cout << "peak memory " << mode << " " << largest->filename().string() << " ("
                  << bitmap.pixelsWide() << "x" << bitmap.pixelsHigh()
                  << "): " << kilobytes / 1024.0 << " MiB = " << kilobytes / decoded
                  << " x its decoded RGBA size\n";
    }
}

} // namespace

int main(int argc, char** argv) {
    // Each figure is seen as soon as it is measured, also when the output goes to a file.
    std::cout << std::unitbuf;
    if (argc == 3 && std::string(argv[1]) == "--export-one") {
        return BenchExport::jpeg(argv[2]) ? 0 : 1;
    }
    if (argc == 3 && std::string(argv[1]) == "--export-one-with-thumbnail") {
        std::thread thumbnail(
            [&] { orlix::ThumbnailCache::imageThumbnail(orlix::Url::fileUrl(argv[2]), 200); });
        const bool exported = BenchExport::jpeg(argv[2]).has_value();
        thumbnail.join();
        return exported ? 0 : 1;
    }
    const auto scratch = fs::temp_directory_path() / ("orlix-bench-" + std::to_string(::getpid()));
    fs::create_directories(scratch);
    ::setenv("XDG_CONFIG_HOME", (scratch / "config").c_str(), 1);
    const std::vector<fs::path> sources(argv + 1, argv + argc);
    const auto images = sources.empty() ? generateImages(scratch) : copyImages(sources, scratch);
    std::cout << "corpus (" << images.size() << " images):\n";
    for (const auto& image : images) {
        std::cout << "  " << image.filename().string() << " " << fs::file_size(image) << " B\n";
    }
    // The build's program, and another to compare it with (an earlier commit's build).
    std::vector<fs::path> programs{fs::path(argv[0]).parent_path() / "orlix"};
    if (const char* before = std::getenv("ORLIX_BENCH_BEFORE")) {
        programs.emplace_back(before);
    }
    if (std::getenv("ORLIX_BENCH_WHOLE_ONLY") != nullptr) {
        WholeProcessBenchmark::run(images, programs, scratch);
        fs::remove_all(scratch);
        return 0;
    }
    CoreBenchmark::run(images, scratch);
    measurePeakMemory(argv[0], images);
    if (std::getenv("ORLIX_BENCH_ZOPFLI_ONLY") == nullptr) {
        WholeProcessBenchmark::run(images, programs, scratch);
        EndToEndBenchmark::run(images, programs, scratch);
    }
    if (std::getenv("ORLIX_BENCH_CORE_ONLY") != nullptr) {
        fs::remove_all(scratch);
        return 0;
    }
    JPEGBenchmark::run(images, scratch);
    PNGBenchmark::run(images, scratch);
    fs::remove_all(scratch);
    return 0;
}
