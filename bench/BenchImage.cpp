#include "BenchImage.h"

#include <fstream>
#include <string>

namespace orlix::bench {

bool BenchImage::writePPM(const BitmapImageRep& bitmap, const std::filesystem::path& path) {
    std::ofstream file(path, std::ios::binary);
    file << "P6\n" << bitmap.pixelsWide() << ' ' << bitmap.pixelsHigh() << "\n255\n";
    std::string row;
    unsigned samples[4];
    for (std::uint32_t y = 0; y < bitmap.pixelsHigh(); ++y) {
        row.clear();
        for (std::uint32_t x = 0; x < bitmap.pixelsWide(); ++x) {
            bitmap.getPixel(x, y, samples);
            for (int channel = 0; channel < 3; ++channel) {
                row.push_back(char(bitmap.isGreyscale() ? samples[0] : samples[channel]));
            }
        }
        file.write(row.data(), std::streamsize(row.size()));
    }
    return bool(file);
}

bool BenchImage::writePAMIfTransparent(const BitmapImageRep& bitmap,
                                       const std::filesystem::path& path) {
    if (!bitmap.hasAlpha()) {
        return false;
    }
    std::string pixels;
    unsigned samples[4];
    bool transparent = false;
    for (std::uint32_t y = 0; y < bitmap.pixelsHigh(); ++y) {
        for (std::uint32_t x = 0; x < bitmap.pixelsWide(); ++x) {
            bitmap.getPixel(x, y, samples);
            const unsigned alpha = samples[bitmap.samplesPerPixel() - 1];
            transparent = transparent || alpha < 255;
            for (int channel = 0; channel < 3; ++channel) {
                const unsigned colour = bitmap.isGreyscale() ? samples[0] : samples[channel];
                pixels.push_back(char(alpha == 0 ? 0 : (colour * 255 + alpha / 2) / alpha));
            }
            pixels.push_back(char(alpha));
        }
    }
    if (!transparent) {
        return false;
    }
    std::ofstream file(path, std::ios::binary);
    file << "P7\nWIDTH " << bitmap.pixelsWide() << "\nHEIGHT " << bitmap.pixelsHigh()
         << "\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n";
    file.write(pixels.data(), std::streamsize(pixels.size()));
    return bool(file);
}

std::shared_ptr<BitmapImageRep> BenchImage::halvedByBoxFilter(const BitmapImageRep& bitmap) {
    auto halved =
        BitmapImageRep::make(bitmap.pixelsWide() / 2, bitmap.pixelsHigh() / 2, bitmap.info());
    const int samples = bitmap.samplesPerPixel();
    for (std::uint32_t y = 0; y < halved->pixelsHigh(); ++y) {
        const std::uint8_t* top = bitmap.row(2 * y);
        const std::uint8_t* bottom = bitmap.row(2 * y + 1);
        std::uint8_t* output = halved->row(y);
        for (std::uint32_t x = 0; x < halved->pixelsWide(); ++x) {
            for (int s = 0; s < samples; ++s) {
                const std::size_t left = std::size_t(2 * x) * samples + s;
                const std::size_t right = left + samples;
                output[std::size_t(x) * samples + s] =
                    std::uint8_t((top[left] + top[right] + bottom[left] + bottom[right] + 2) / 4);
            }
        }
    }
    return halved;
}

} // namespace orlix::bench
