#include "PNGBenchmark.h"

#include "BenchExport.h"
#include "BenchImage.h"
#include "BenchTools.h"
#include "Export/BitmapImageRepWithMetadata.h"
#include "Export/ImageUtilsClient.h"

#include <iostream>
#include <sstream>

namespace orlix::bench {

namespace fs = std::filesystem;
using Tools = BenchTools;
using Quantizer = imageutils::QuantizeRequest::Quantizer;

void PNGBenchmark::run(const std::vector<fs::path>& images, const fs::path& scratch) {
    std::cout << "PNG export\n";
    Totals totals;
    for (const auto& image : images) {
        if (image.extension() == ".png") {
            measure(image, scratch, totals);
        }
    }
    if (totals.images == 0) {
        return;
    }
    std::cout << "total over " << totals.images << " images: size ratio (orlix/pngquant) "
              << totals.ours.bytes / totals.peer.bytes << ", time ratio "
              << totals.ours.seconds / totals.peer.seconds
              << "; with Zopfli (orlix/pngquant+zopflipng) size ratio "
              << totals.ourZopfli.bytes / totals.peerZopfli.bytes << ", time ratio "
              << totals.ourZopfli.seconds / totals.peerZopfli.seconds
              << "; built-in quantiser size ratio " << totals.builtIn.bytes / totals.peer.bytes
              << ", time ratio " << totals.builtIn.seconds / totals.peer.seconds << "\n\n";
}

PNGBenchmark::Result PNGBenchmark::ours(const fs::path& input, const Score& score, bool zopfli) {
    const auto start = std::chrono::steady_clock::now();
    const auto output = BenchExport::png(input, zopfli);
    const double seconds = Tools::secondsSince(start);
    if (!output) {
        return {};
    }
    Result result{double(fs::file_size(*output)), seconds, score(*output)};
    fs::remove(*output);
    return result;
}

PNGBenchmark::Result PNGBenchmark::peer(const fs::path& input, const Score& score,
                                        const fs::path& output, bool zopfli) {
    std::string command = "pngquant --speed 4 --force --output " + Tools::quoted(output) +
                          " 256 -- " + Tools::quoted(input);
    if (zopfli) {
        command += " && zopflipng -y " + Tools::quoted(output) + " " + Tools::quoted(output) +
                   " > /dev/null";
    }
    const double seconds = Tools::timed(command);
    if (seconds < 0) {
        return {};
    }
    return {double(fs::file_size(output)), seconds, score(output)};
}

void PNGBenchmark::add(Result& total, const Result& one) {
    total.bytes += one.bytes;
    total.seconds += one.seconds;
    total.ssimulacra += one.ssimulacra;
}

std::string PNGBenchmark::describe(const char* label, const Result& result) {
    std::ostringstream text;
    text << label << " " << result.bytes << " B in " << result.seconds << " s (ssimulacra "
         << result.ssimulacra << ")";
    return text.str();
}

void PNGBenchmark::measure(const fs::path& input, const fs::path& scratch, Totals& totals) {
    const auto loaded = BitmapImageRepWithMetadata::load(Url::fileUrl(input));
    if (!loaded) {
        return;
    }
    const auto name = scratch / input.filename();
    const auto reference = fs::path(name.string() + "-png-reference.ppm");
    BenchImage::writePPM(*loaded->bitmapImageRep(), reference);
    const auto transparentReference = fs::path(name.string() + "-png-reference.pam");
    const Score score =
        BenchImage::writePAMIfTransparent(*loaded->bitmapImageRep(), transparentReference)
            ? Score([=](const fs::path& output) {
                  return Tools::ssimulacraOnWhiteAndBlack(transparentReference, output);
              })
            : Score([=](const fs::path& output) { return Tools::ssimulacra(reference, output); });

    ImageUtilsClient::setQuantizer(Quantizer::imagequant);
    const auto plain = ours(input, score, false);
    const auto zopfli = ours(input, score, true);
    ImageUtilsClient::setQuantizer(Quantizer::builtIn);
    const auto builtIn = ours(input, score, false);
    ImageUtilsClient::setQuantizer(Quantizer::imagequant);
    const auto peerPlain = peer(input, score, name.string() + "-pngquant.png", false);
    const auto peerZopfli = peer(input, score, name.string() + "-zopflipng.png", true);

    std::cout << input.filename().string() << "  input " << fs::file_size(input) << " B\n  "
              << describe("orlix", plain) << ", " << describe("pngquant", peerPlain)
              << "\n  size ratio " << plain.bytes / peerPlain.bytes << ", time ratio "
              << plain.seconds / peerPlain.seconds << "\n  " << describe("orlix+zopfli", zopfli)
              << ", " << describe("pngquant+zopflipng", peerZopfli) << "\n  "
              << describe("orlix, built-in quantiser", builtIn) << "\n";
    add(totals.ours, plain);
    add(totals.peer, peerPlain);
    add(totals.ourZopfli, zopfli);
    add(totals.peerZopfli, peerZopfli);
    add(totals.builtIn, builtIn);
    ++totals.images;
}

} // namespace orlix::bench
