#pragma once

#include "Export/BitmapImageRep.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace orlix::bench {

// The core's own work against its peers, each side timed as the median of five runs after a
// warm-up, wall and CPU time (user + system) side by side: thumbnails against the export the
// program runs for their input by default (JPEG for JPEGs; PNG without Zopfli for PNGs, the
// service's CPU included), the JPEG export against djpeg | cjpeg, and the service's Zopfli
// recompression against zopflipng on the same file. Also times the automatic quality's share of
// the JPEG export, and reports every image whose quality differs from the one the plain resize and
// flood fill give.
class CoreBenchmark {
public:
    static void run(const std::vector<std::filesystem::path>& images,
                    const std::filesystem::path& scratch);

    struct Timing {
        double wall = 0.0;
        double cpu = 0.0;
        // The lowest share of idle processors measured before one of the runs.
        double idle = 1.0;
    };

private:
    struct Totals {
        // export_: each input's default export; jpegThumbnail: the JPEG inputs' thumbnails;
        // jpegQuality: their automatic quality, a part of their export.
        Timing thumbnail, export_, jpegThumbnail, jpegQuality, jpeg, peerJPEG, zopfli, peerZopfli,
            pngAsJPEG, peerPNGAsJPEG;
        double zopfliBytes = 0, peerZopfliBytes = 0;
        double pngAsJPEGBytes = 0, peerPNGAsJPEGBytes = 0;
        double pngAsJPEGScore = 0, peerPNGAsJPEGScore = 0;
        int pngAsJPEGImages = 0;
        std::vector<double> jpegRatios;
        int images = 0, jpegImages = 0, pngImages = 0, qualityChanges = 0;
    };

    using CPUClock = std::function<double()>;
    // This process's CPU; the processes it waited for; this process's and its service's.
    static double ownCPU();
    static double childrenCPU();
    static double ownAndServiceCPU();

    // Medians of five runs of `work` after one unmeasured, each after an idle check, the CPU as
    // `cpu` counts it.
    static Timing median(const std::function<void()>& work, const CPUClock& cpu);
    static void add(Timing& total, const Timing& one);
    static std::string describe(const Timing& timing);

    static void measure(const std::filesystem::path& input, const std::filesystem::path& scratch,
                        Totals& totals);
    // PNG inputs exported as JPEG against ImageMagick's decode composited on black piped into
    // cjpeg, both scored against the input composited on black, as the JPEG export discards alpha
    // from premultiplied colour.
    static void measurePNGAsJPEG(const std::filesystem::path& input,
                                 const std::filesystem::path& scratch,
                                 const BitmapImageRep& decoded, int quality, const Timing& exported,
                                 Totals& totals);
    static void measureZopfli(const std::filesystem::path& input,
                              const std::filesystem::path& scratch, Totals& totals);
    static void print(const Totals& totals);
};

} // namespace orlix::bench
