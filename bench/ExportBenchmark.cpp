// Measures Orlix's exports against the peer tools, in the same run on the same images, and prints
// ratios. It asserts nothing: the figures depend on the machine.

#include "BenchExport.h"
#include "BenchTools.h"
#include "JPEGBenchmark.h"
#include "PNGBenchmark.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
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

std::vector<fs::path> copyImages(const fs::path& from, const fs::path& folder) {
    std::vector<fs::path> images;
    for (const auto& entry : fs::directory_iterator(from)) {
        const auto extension = entry.path().extension();
        if (extension == ".jpg" || extension == ".jpeg" || extension == ".png") {
            fs::copy_file(entry.path(), folder / entry.path().filename());
            images.push_back(folder / entry.path().filename());
        }
    }
    return images;
}

// The peak memory of exporting one large JPEG, measured on a child process.
void measurePeakMemory(const char* self, const fs::path& scratch) {
    const auto large = scratch / "large.jpg";
    BenchTools::timed(BenchTools::magick + " -size 8660x5774 plasma:fractal -quality 90 " +
                      BenchTools::quoted(large));
    const auto report = BenchTools::output("/usr/bin/time -v " + BenchTools::quoted(self) +
                                           " --export-one " + BenchTools::quoted(large) + " 2>&1");
    const auto at = report.find("Maximum resident set size (kbytes):");
    if (at == std::string::npos) {
        std::cout << "peak memory: not measured\n";
        return;
    }
    const double kilobytes = std::stod(report.substr(at + 35));
    const double decoded = 8660.0 * 5774.0 * 4.0 / 1024.0;
    std::cout << "peak memory exporting a 50-megapixel JPEG: " << kilobytes / 1024.0
              << " MiB = " << kilobytes / decoded << " x its decoded RGBA size\n";
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--export-one") {
        return BenchExport::jpeg(argv[2]) ? 0 : 1;
    }
    const auto scratch = fs::temp_directory_path() / ("orlix-bench-" + std::to_string(::getpid()));
    fs::create_directories(scratch);
    ::setenv("XDG_CONFIG_HOME", (scratch / "config").c_str(), 1);
    const auto images = argc == 2 ? copyImages(argv[1], scratch) : generateImages(scratch);
    JPEGBenchmark::run(images, scratch);
    PNGBenchmark::run(images, scratch);
    measurePeakMemory(argv[0], scratch);
    fs::remove_all(scratch);
    return 0;
}
