#include "CoreBenchmark.h"

#include "BenchExport.h"
#include "BenchImage.h"
#include "BenchTools.h"
#include "Export/BitmapImageRepWithMetadata.h"
#include "Export/JPEGQualityCalculator.h"
#include "ImageUtilsService/PNGRecompressor.h"
#include "Support/ReferenceQuality.h"
#include "TaskProcessing/ThumbnailCache.h"

#include <sys/resource.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

namespace orlix::bench {

namespace fs = std::filesystem;
using Tools = BenchTools;

namespace {

constexpr int runs = 5;

double cpuSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    const auto seconds = [](const timeval& time) { return time.tv_sec + time.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

std::vector<std::uint8_t> contents(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::string loadAverage() {
    std::ifstream file("/proc/loadavg");
    std::string oneMinute;
    file >> oneMinute;
    return oneMinute;
}

void removeOutput(const std::optional<fs::path>& output) {
    if (output) {
        fs::remove(*output);
    }
}

} // namespace

double CoreBenchmark::ownCPU() {
    return cpuSeconds(RUSAGE_SELF);
}

double CoreBenchmark::childrenCPU() {
    return cpuSeconds(RUSAGE_CHILDREN);
}

double CoreBenchmark::ownAndServiceCPU() {
    return cpuSeconds(RUSAGE_SELF) + Tools::serviceCPUSeconds();
}

CoreBenchmark::Timing CoreBenchmark::median(const std::function<void()>& work,
                                            const CPUClock& cpu) {
    work();
    std::vector<double> walls, cpus;
    double idle = 1.0;
    for (int run = 0; run < runs; ++run) {
        idle = std::min(idle, Tools::waitForIdle());
        const double cpuStart = cpu();
        const auto start = std::chrono::steady_clock::now();
        work();
        walls.push_back(Tools::secondsSince(start));
        cpus.push_back(cpu() - cpuStart);
    }
    return {BenchTools::median(walls), BenchTools::median(cpus), idle};
}

void CoreBenchmark::add(Timing& total, const Timing& one) {
    total.wall += one.wall;
    total.cpu += one.cpu;
    total.idle = std::min(total.idle, one.idle);
}

std::string CoreBenchmark::describe(const Timing& timing) {
    std::ostringstream text;
    text.precision(3);
    text << timing.wall << " s wall, " << timing.cpu << " s CPU (idle >= " << int(timing.idle * 100)
         << " %)";
    return text.str();
}

void CoreBenchmark::run(const std::vector<fs::path>& images, const fs::path& scratch) {
    std::cout << "Core work, medians of " << runs << " runs after a warm-up (load average "
              << loadAverage() << " at the start)\n";
    Totals totals;
    // Zopfli alone takes minutes an image at five runs a side; the other lines can be left out.
    for (const auto& image : images) {
        if (std::getenv("ORLIX_BENCH_ZOPFLI_ONLY") == nullptr) {
            measure(image, scratch, totals);
        }
    }
    // And a run over many PNGs may leave Zopfli out.
    const bool zopfli = std::getenv("ORLIX_BENCH_NO_ZOPFLI") == nullptr;
    for (const auto& image : images) {
        if (zopfli && image.extension() == ".png") {
            measureZopfli(image, scratch, totals);
        }
    }
    print(totals);
}

void CoreBenchmark::measure(const fs::path& input, const fs::path& scratch, Totals& totals) {
    const auto loaded = BitmapImageRepWithMetadata::load(Url::fileUrl(input));
    if (!loaded) {
        std::cout << input.filename().string() << ": unreadable, skipped\n";
        return;
    }
    const auto& bitmap = loaded->bitmapImageRep();
    const JPEGQualityCalculator calculator(bitmap, loaded->metadata());
    const int quality = calculator.automaticJPEGQuality();
    // The plain resize and flood fill, which the analysis must match on every picture.
    const int plain =
        loaded->metadata().greyscale ? quality : testing::ReferenceQuality::quality(*bitmap);
    const Url url = Url::fileUrl(input);
    const bool png = input.extension() == ".png";
    const Timing thumbnail = median([&] { ThumbnailCache::imageThumbnail(url, 200); }, ownCPU);
    const Timing exported = median([&] { removeOutput(BenchExport::jpeg(input)); }, ownCPU);
    // The export the thumbnail accompanies by default: a PNG's quantisation runs in the service.
    const Timing defaultExport =
        png ? median([&] { removeOutput(BenchExport::png(input, false)); }, ownAndServiceCPU)
            : exported;
    add(totals.thumbnail, thumbnail);
    add(totals.export_, defaultExport);
    ++totals.images;
    std::cout << input.filename().string() << "  " << bitmap->pixelsWide() << "x"
              << bitmap->pixelsHigh() << "  quality " << quality;
    if (quality != plain) {
        std::cout << " (plain resize and flood fill: " << plain << ")";
        ++totals.qualityChanges;
    }
    std::cout << "  [load " << loadAverage() << "]\n  thumbnail " << describe(thumbnail)
              << "; JPEG export " << describe(exported) << "\n";
    if (png) {
        std::cout << "  PNG export (service included) " << describe(defaultExport) << "\n";
        measurePNGAsJPEG(input, scratch, *bitmap, quality, exported, totals);
        return;
    }
    const auto peer = scratch / (input.filename().string() + "-cjpeg.jpg");
    const std::string command = "djpeg " + Tools::quoted(input) + " | cjpeg -quality " +
                                std::to_string(quality) + " -progressive > " + Tools::quoted(peer);
    const Timing peerJPEG = median([&] { std::system(command.c_str()); }, childrenCPU);
    const Timing analysis = median([&] { calculator.automaticJPEGQuality(); }, ownCPU);
    add(totals.jpegQuality, analysis);
    add(totals.jpegThumbnail, thumbnail);
    add(totals.jpeg, exported);
    add(totals.peerJPEG, peerJPEG);
    totals.jpegRatios.push_back(exported.wall / peerJPEG.wall);
    ++totals.jpegImages;
    std::cout << "  automatic quality " << describe(analysis) << ", "
              << 100 * analysis.wall / exported.wall << " % of the export's wall\n"
              << "  djpeg | cjpeg (two processes) " << describe(peerJPEG) << "; ratio "
              << exported.wall / peerJPEG.wall << " wall, " << exported.cpu / peerJPEG.cpu
              << " CPU\n";
}

void CoreBenchmark::measurePNGAsJPEG(const fs::path& input, const fs::path& scratch,
                                     const BitmapImageRep& decoded, int quality,
                                     const Timing& exported, Totals& totals) {
    const auto ours = BenchExport::jpeg(input);
    if (!ours) {
        return;
    }
    // Premultiplied colour without its alpha is the picture on black.
    const auto reference = scratch / (input.filename().string() + "-on-black.ppm");
    BenchImage::writePPM(decoded, reference);
    const auto peer = scratch / (input.filename().string() + "-as-cjpeg.jpg");
    const std::string command = Tools::magick + " " + Tools::quoted(input) +
                                " -background black -alpha remove -alpha off ppm:- | cjpeg "
                                "-quality " +
                                std::to_string(quality) + " -progressive > " + Tools::quoted(peer);
    const Timing peerTiming = median([&] { std::system(command.c_str()); }, childrenCPU);
    const double ourBytes = double(fs::file_size(*ours));
    const double peerBytes = double(fs::file_size(peer));
    const double ourScore = Tools::ssimulacra(reference, *ours);
    const double peerScore = Tools::ssimulacra(reference, peer);
    fs::remove(*ours);
    add(totals.pngAsJPEG, exported);
    add(totals.peerPNGAsJPEG, peerTiming);
    totals.pngAsJPEGBytes += ourBytes;
    totals.peerPNGAsJPEGBytes += peerBytes;
    totals.pngAsJPEGScore += ourScore;
    totals.peerPNGAsJPEGScore += peerScore;
    ++totals.pngAsJPEGImages;
    std::cout << "  as JPEG: orlix " << ourBytes << " B (ssimulacra " << ourScore
              << "); magick | cjpeg (two processes) " << peerBytes << " B (ssimulacra " << peerScore
              << "), " << describe(peerTiming) << "\n";
}

void CoreBenchmark::measureZopfli(const fs::path& input, const fs::path& scratch, Totals& totals) {
    const auto plain = BenchExport::png(input, false);
    if (!plain) {
        return;
    }
    const auto unzopflied = scratch / (input.filename().string() + "-orlix.png");
    fs::rename(*plain, unzopflied);
    const auto bytes = contents(unzopflied);
    std::size_t ourBytes = 0;
    const Timing ours = median(
        [&] {
            const auto result = PNGRecompressor::recompress(bytes);
            ourBytes = result ? result->size() : bytes.size();
        },
        ownCPU);
    const auto peer = scratch / (input.filename().string() + "-zopflipng.png");
    const std::string command =
        "zopflipng -y " + Tools::quoted(unzopflied) + " " + Tools::quoted(peer) + " > /dev/null";
    const Timing theirs = median([&] { std::system(command.c_str()); }, childrenCPU);
    const double peerBytes = double(fs::file_size(peer));
    add(totals.zopfli, ours);
    add(totals.peerZopfli, theirs);
    totals.zopfliBytes += double(ourBytes);
    totals.peerZopfliBytes += peerBytes;
    ++totals.pngImages;
    std::cout << input.filename().string() << "  un-Zopfli'd " << bytes.size()
              << " B; service (up to 4 threads) " << ourBytes << " B, " << describe(ours)
              << "; zopflipng (1 thread) " << peerBytes << " B, " << describe(theirs)
              << "; size ratio " << ourBytes / peerBytes << ", wall ratio "
              << ours.wall / theirs.wall << "  [load " << loadAverage() << "]\n";
}

void CoreBenchmark::print(const Totals& totals) {
    if (totals.images > 0) {
        std::cout << "thumbnails over " << totals.images
                  << " images: " << describe(totals.thumbnail)
                  << " against their default exports' (PNG without Zopfli, service included) "
                  << describe(totals.export_) << ": CPU ratio "
                  << totals.thumbnail.cpu / totals.export_.cpu << "\n"
                  << "automatic quality differs from the plain resize and flood fill's on "
                  << totals.qualityChanges << " of " << totals.images << " images\n";
    }
    if (totals.jpegImages > 0) {
        std::cout << "thumbnails over the " << totals.jpegImages
                  << " JPEG inputs against their exports: CPU ratio "
                  << totals.jpegThumbnail.cpu / totals.jpeg.cpu << "\n";
        std::cout << "JPEG export over " << totals.jpegImages
                  << " JPEG inputs against djpeg | cjpeg: wall ratio "
                  << totals.jpeg.wall / totals.peerJPEG.wall << " (median of the images "
                  << BenchTools::median(totals.jpegRatios) << ", worst "
                  << *std::max_element(totals.jpegRatios.begin(), totals.jpegRatios.end())
                  << "), CPU ratio " << totals.jpeg.cpu / totals.peerJPEG.cpu << "\n"
                  << "automatic quality over the " << totals.jpegImages
                  << " JPEG inputs: " << describe(totals.jpegQuality) << ", "
                  << 100 * totals.jpegQuality.wall / totals.jpeg.wall << " % of the exports' wall, "
                  << 100 * totals.jpegQuality.cpu / totals.jpeg.cpu << " % of their CPU\n";
    }
    if (totals.pngAsJPEGImages > 0) {
        const double count = totals.pngAsJPEGImages;
        std::cout << "PNG inputs as JPEG over " << totals.pngAsJPEGImages
                  << " PNGs against magick | cjpeg, scored against the input on black: size ratio "
                  << totals.pngAsJPEGBytes / totals.peerPNGAsJPEGBytes << ", wall ratio "
                  << totals.pngAsJPEG.wall / totals.peerPNGAsJPEG.wall << ", CPU ratio "
                  << totals.pngAsJPEG.cpu / totals.peerPNGAsJPEG.cpu << ", mean ssimulacra "
                  << totals.pngAsJPEGScore / count << " against "
                  << totals.peerPNGAsJPEGScore / count << "\n";
    }
    if (totals.pngImages > 0) {
        std::cout << "Zopfli over " << totals.pngImages
                  << " of Orlix's PNGs against zopflipng: size ratio "
                  << totals.zopfliBytes / totals.peerZopfliBytes << ", wall ratio "
                  << totals.zopfli.wall / totals.peerZopfli.wall << ", CPU ratio "
                  << totals.zopfli.cpu / totals.peerZopfli.cpu << "\n";
    }
    std::cout << "\n";
}

} // namespace orlix::bench
