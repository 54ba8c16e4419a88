#include "JPEGBenchmark.h"

#include "BenchExport.h"
#include "BenchImage.h"
#include "BenchTools.h"
#include "Export/BitmapImageRepWithMetadata.h"
#include "Export/BitmapResize.h"
#include "Export/JPEGQualityCalculator.h"

#include <iostream>

namespace orlix::bench {

namespace fs = std::filesystem;
using Tools = BenchTools;

void JPEGBenchmark::run(const std::vector<fs::path>& images, const fs::path& scratch) {
    std::cout << "JPEG export and resize, JPEG inputs\n";
    Totals totals;
    for (const auto& image : images) {
        if (image.extension() != ".png") {
            measure(image, scratch, totals);
        }
    }
    if (totals.images > 0) {
        std::cout << "total over " << totals.images << " images: jpeg size ratio (orlix/cjpeg) "
                  << totals.ourBytes / totals.peerBytes << ", time ratio "
                  << totals.ourSeconds / totals.peerSeconds << "; resize time ratio "
                  << "(orlix/magick) " << totals.ourResizeSeconds / totals.peerResizeSeconds
                  << "\n\n";
    }
}

void JPEGBenchmark::measure(const fs::path& input, const fs::path& scratch, Totals& totals) {
    const auto loaded = BitmapImageRepWithMetadata::load(Url::fileUrl(input));
    if (!loaded) {
        std::cout << input.filename().string() << ": unreadable, skipped\n";
        return;
    }
    const auto& bitmap = loaded->bitmapImageRep();
    const auto quality = JPEGQualityCalculator(bitmap, loaded->metadata()).automaticJPEGQuality();
    const auto name = scratch / input.filename();
    const auto reference = fs::path(name.string() + "-reference.ppm");
    BenchImage::writePPM(*bitmap, reference);

    const auto start = std::chrono::steady_clock::now();
    const auto ours = BenchExport::jpeg(input);
    const double ourSeconds = Tools::secondsSince(start);
    const auto peer = fs::path(name.string() + "-cjpeg.jpg");
    const double peerSeconds =
        Tools::timed("djpeg " + Tools::quoted(input) + " | cjpeg -quality " +
                     std::to_string(quality) + " -progressive > " + Tools::quoted(peer));
    if (!ours || peerSeconds < 0) {
        std::cout << input.filename().string() << ": export failed\n";
        return;
    }
    const double ourBytes = double(fs::file_size(*ours));
    const double peerBytes = double(fs::file_size(peer));

    // Resize: 50 % of the image, scored against an exact box average.
    const auto halvedReference = fs::path(name.string() + "-half-reference.ppm");
    BenchImage::writePPM(*BenchImage::halvedByBoxFilter(*bitmap), halvedReference);
    const auto resizeStart = std::chrono::steady_clock::now();
    const auto halved = BitmapResize::resized(bitmap, ResizeConfig::percentage({50}), {});
    const double ourResizeSeconds = Tools::secondsSince(resizeStart);
    const auto ourHalf = fs::path(name.string() + "-half-orlix.ppm");
    BenchImage::writePPM(*halved, ourHalf);
    const auto peerHalf = fs::path(name.string() + "-half-magick.ppm");
    const double peerResizeSeconds =
        Tools::timed(Tools::magick + " " + Tools::quoted(reference) +
                     " -filter Lanczos -resize 50% " + Tools::quoted(peerHalf));

    std::cout << input.filename().string() << "  " << bitmap->pixelsWide() << "x"
              << bitmap->pixelsHigh() << "  quality " << int(quality) << "\n"
              << "  jpeg   input " << fs::file_size(input) << " B, orlix " << ourBytes << " B in "
              << ourSeconds << " s (ssimulacra " << Tools::ssimulacra(reference, *ours)
              << "), cjpeg " << peerBytes << " B in " << peerSeconds << " s (ssimulacra "
              << Tools::ssimulacra(reference, peer) << ")\n"
              << "         size ratio " << ourBytes / peerBytes << ", time ratio "
              << ourSeconds / peerSeconds << "\n"
              << "  resize orlix " << ourResizeSeconds << " s (ssimulacra "
              << Tools::ssimulacra(halvedReference, ourHalf) << "), magick " << peerResizeSeconds
              << " s (ssimulacra " << Tools::ssimulacra(halvedReference, peerHalf) << ")\n";
    totals.ourBytes += ourBytes;
    totals.peerBytes += peerBytes;
    totals.ourSeconds += ourSeconds;
    totals.peerSeconds += peerSeconds;
    totals.ourResizeSeconds += ourResizeSeconds;
    totals.peerResizeSeconds += peerResizeSeconds;
    ++totals.images;
}

} // namespace orlix::bench
