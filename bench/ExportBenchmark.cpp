// Measures the JPEG export and the resize against the peer tools, in the same run on the same
// images: cjpeg (after djpeg) at the quality Orlix chose, and ImageMagick's Lanczos resize. Prints
// ratios; it asserts nothing, since the figures depend on the machine.

#include "BenchImage.h"
#include "Export/BitmapImageRepWithMetadata.h"
#include "Export/BitmapResize.h"
#include "Export/JPEGImageExporter.h"
#include "Export/JPEGQualityCalculator.h"
#include "Platform/MainQueue.h"
#include "Platform/RunLoop.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace orlix;

namespace {

// ImageMagick 6 from the distribution; a stand-in named convert may come first on the PATH.
const std::string magick = "/usr/bin/convert";

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Runs a shell command and returns its wall time, or a negative value when it failed.
double timed(const std::string& command) {
    const auto start = std::chrono::steady_clock::now();
    const int status = std::system(command.c_str());
    const double seconds = secondsSince(start);
    return status == 0 ? seconds : -1.0;
}

std::string output(const std::string& command) {
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

std::string quoted(const fs::path& path) {
    std::string text = "'";
    for (const char c : path.string()) {
        text += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return text + "'";
}

// PNG for the metric: its PPM reader scores the same pixels differently.
fs::path asPNG(const fs::path& path) {
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

// Lower is better; 0 means identical.
double ssimulacra(const fs::path& reference, const fs::path& candidate) {
    const auto text = output("ssimulacra_main " + quoted(asPNG(reference)) + " " +
                             quoted(asPNG(candidate)) + " 2>/dev/null");
    return text.empty() ? -1.0 : std::stod(text);
}

// One export as the application runs it: the real operation, output beside the input.
std::optional<fs::path> exportJPEG(const fs::path& input) {
    auto item = std::make_shared<ImageExportItem>(
        Uuid(), Url::fileUrl(input),
        ExportSize{ResizeConfig::none(),
                   ExportSize::ResolutionType::fixed(OutputResolution::x1, 1.0)},
        nullptr, nullptr);
    JPEGImageExporter exporter(item, JPEGExportConfig{});
    std::optional<fs::path> written;
    exporter.setStatusUpdater([&](const JPEGExportStatus& status) {
        if (status.kind == JPEGExportStatus::Kind::succeeded && status.out) {
            written = status.out->path();
        }
    });
    auto loop = std::make_shared<RunLoop>();
    MainQueue::setExecutor(loop);
    exporter.operations().front()->start();
    loop->runUntilIdle();
    MainQueue::setExecutor(nullptr);
    return written;
}

struct Totals {
    double ourBytes = 0, peerBytes = 0, ourSeconds = 0, peerSeconds = 0;
    double ourResizeSeconds = 0, peerResizeSeconds = 0;
    int images = 0;
};

void benchmarkImage(const fs::path& input, const fs::path& scratch, Totals& totals) {
    const auto loaded = BitmapImageRepWithMetadata::load(Url::fileUrl(input));
    if (!loaded) {
        std::cout << input.filename().string() << ": unreadable, skipped\n";
        return;
    }
    const auto& bitmap = loaded->bitmapImageRep();
    const auto quality = JPEGQualityCalculator(bitmap, loaded->metadata()).automaticJPEGQuality();
    const auto reference = scratch / (input.filename().string() + "-reference.ppm");
    bench::BenchImage::writePPM(*bitmap, reference);

    const auto start = std::chrono::steady_clock::now();
    const auto ours = exportJPEG(input);
    const double ourSeconds = secondsSince(start);
    const auto peer = scratch / (input.filename().string() + "-cjpeg.jpg");
    const auto decodeCommand = input.extension() == ".png" ? magick + " " + quoted(input) + " ppm:-"
                                                           : "djpeg " + quoted(input);
    const double peerSeconds = timed(decodeCommand + " | cjpeg -quality " +
                                     std::to_string(quality) + " -progressive > " + quoted(peer));
    if (!ours || peerSeconds < 0) {
        std::cout << input.filename().string() << ": export failed\n";
        return;
    }
    const double ourBytes = double(fs::file_size(*ours));
    const double peerBytes = double(fs::file_size(peer));

    // Resize: 50 % of the image, scored against an exact box average.
    const auto halvedReference = scratch / (input.filename().string() + "-half-reference.ppm");
    bench::BenchImage::writePPM(*bench::BenchImage::halvedByBoxFilter(*bitmap), halvedReference);
    const auto resizeStart = std::chrono::steady_clock::now();
    const auto halved = BitmapResize::resized(bitmap, ResizeConfig::percentage({50}), {});
    const double ourResizeSeconds = secondsSince(resizeStart);
    const auto ourHalf = scratch / (input.filename().string() + "-half-orlix.ppm");
    bench::BenchImage::writePPM(*halved, ourHalf);
    const auto peerHalf = scratch / (input.filename().string() + "-half-magick.ppm");
    const double peerResizeSeconds = timed(magick + " " + quoted(reference) +
                                           " -filter Lanczos -resize 50% " + quoted(peerHalf));

    std::cout << input.filename().string() << "  " << bitmap->pixelsWide() << "x"
              << bitmap->pixelsHigh() << "  quality " << int(quality) << "\n"
              << "  jpeg   input " << fs::file_size(input) << " B, orlix " << ourBytes << " B in "
              << ourSeconds << " s (ssimulacra " << ssimulacra(reference, *ours) << "), cjpeg "
              << peerBytes << " B in " << peerSeconds << " s (ssimulacra "
              << ssimulacra(reference, peer) << ")\n"
              << "         size ratio " << ourBytes / peerBytes << ", time ratio "
              << ourSeconds / peerSeconds << "\n"
              << "  resize orlix " << ourResizeSeconds << " s (ssimulacra "
              << ssimulacra(halvedReference, ourHalf) << "), magick " << peerResizeSeconds
              << " s (ssimulacra " << ssimulacra(halvedReference, peerHalf) << ")\n";
    totals.ourBytes += ourBytes;
    totals.peerBytes += peerBytes;
    totals.ourSeconds += ourSeconds;
    totals.peerSeconds += peerSeconds;
    totals.ourResizeSeconds += ourResizeSeconds;
    totals.peerResizeSeconds += peerResizeSeconds;
    ++totals.images;
}

// Photo-like, flat and grey pictures, as JPEG and PNG inputs.
std::vector<fs::path> generateImages(const fs::path& folder) {
    const std::vector<std::pair<std::string, std::string>> recipes = {
        {"photo.jpg", "-size 2400x1600 plasma:fractal -blur 0x1 -quality 92"},
        {"photo.png", "-size 1600x1200 plasma:fractal -blur 0x1"},
        {"interface.png", "-size 1600x1000 xc:'#f4f4f4' -fill '#2a6ad8' -draw 'rectangle "
                          "0,0 1600,80' -fill '#ffffff' -draw 'rectangle 100,150 900,900' "
                          "-fill '#333333' -pointsize 40 -draw \"text 150,250 'Settings'\""},
        {"grey.jpg", "-size 2000x1500 plasma:fractal -colorspace Gray -quality 90"},
    };
    std::vector<fs::path> images;
    for (const auto& [name, recipe] : recipes) {
        const auto path = folder / name;
        if (timed(magick + " " + recipe + " " + quoted(path)) >= 0) {
            images.push_back(path);
        }
    }
    return images;
}

// The peak memory of exporting one large JPEG, measured on a child process.
void measurePeakMemory(const char* self, const fs::path& scratch) {
    const auto large = scratch / "large.jpg";
    timed(magick + " -size 8660x5774 plasma:fractal -quality 90 " + quoted(large));
    const auto report =
        output("/usr/bin/time -v " + quoted(self) + " --export-one " + quoted(large) + " 2>&1");
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
        return exportJPEG(argv[2]) ? 0 : 1;
    }
    const auto scratch = fs::temp_directory_path() / ("orlix-bench-" + std::to_string(::getpid()));
    fs::create_directories(scratch);
    ::setenv("XDG_CONFIG_HOME", (scratch / "config").c_str(), 1);
    std::vector<fs::path> images;
    if (argc == 2) {
        for (const auto& entry : fs::directory_iterator(argv[1])) {
            const auto extension = entry.path().extension();
            if (extension == ".jpg" || extension == ".jpeg" || extension == ".png") {
                fs::copy_file(entry.path(), scratch / entry.path().filename());
                images.push_back(scratch / entry.path().filename());
            }
        }
    } else {
        images = generateImages(scratch);
    }
    Totals totals;
    for (const auto& image : images) {
        benchmarkImage(image, scratch, totals);
    }
    if (totals.images > 0) {
        std::cout << "total over " << totals.images << " images: jpeg size ratio (orlix/cjpeg) "
                  << totals.ourBytes / totals.peerBytes << ", time ratio "
                  << totals.ourSeconds / totals.peerSeconds << "; resize time ratio "
                  << "(orlix/magick) " << totals.ourResizeSeconds / totals.peerResizeSeconds
                  << "\n";
    }
    measurePeakMemory(argv[0], scratch);
    fs::remove_all(scratch);
    return 0;
}
