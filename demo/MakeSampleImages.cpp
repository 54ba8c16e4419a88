// Writes a few sample images for the demonstration: a photo-like JPEG, a screenshot-like PNG and
// a PNG with transparency, all generated, so that the demonstration needs nothing from outside.

#include "Export/JPEGCompressor.h"

#include <png.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::uint8_t clamp(double value) {
    return std::uint8_t(std::lround(std::fmin(255.0, std::fmax(0.0, value))));
}

// Smooth light with fine grain, as a camera gives.
std::vector<std::uint8_t> photo(std::uint32_t width, std::uint32_t height) {
    std::vector<std::uint8_t> rgba(std::size_t(width) * height * 4);
    std::uint32_t seed = 12345;
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const double grain = double(seed >> 24) / 32.0 - 4.0;
            const double u = double(x) / width;
            const double v = double(y) / height;
            auto* pixel = &rgba[(std::size_t(y) * width + x) * 4];
            pixel[0] = clamp(200 * u + 40 * std::sin(v * 9) + grain);
            pixel[1] = clamp(120 + 80 * std::cos(u * 7 + v * 3) + grain);
            pixel[2] = clamp(220 * v + grain);
            pixel[3] = 255;
        }
    }
    return rgba;
}

// Flat panels and a few lines, as an application window.
std::vector<std::uint8_t> screenshot(std::uint32_t width, std::uint32_t height, bool round) {
    std::vector<std::uint8_t> rgba(std::size_t(width) * height * 4);
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            auto* pixel = &rgba[(std::size_t(y) * width + x) * 4];
            const bool bar = y < height / 10;
            const bool panel = x > width / 8 && x < width / 2 && y > height / 5;
            const bool line = panel && (y % 24) < 2;
            pixel[0] = bar ? 42 : line ? 60 : panel ? 255 : 244;
            pixel[1] = bar ? 106 : line ? 60 : panel ? 255 : 244;
            pixel[2] = bar ? 216 : line ? 60 : panel ? 255 : 244;
            const double dx = double(x) - width / 2.0;
            const double dy = double(y) - height / 2.0;
            const bool inside = std::sqrt(dx * dx + dy * dy) < width / 2.0;
            pixel[3] = round && !inside ? 0 : 255;
        }
    }
    return rgba;
}

bool writePNG(const fs::path& path, const std::vector<std::uint8_t>& rgba, std::uint32_t width,
              std::uint32_t height) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = width;
    image.height = height;
    image.format = PNG_FORMAT_RGBA;
    return png_image_write_to_file(&image, path.c_str(), 0, rgba.data(), 0, nullptr) != 0;
}

bool writeJPEG(const fs::path& path, const std::vector<std::uint8_t>& rgba, std::uint32_t width,
               std::uint32_t height) {
    const auto file = orlix::compressJPEG(rgba, 95, width, height, false, true, 1.0, 1.0);
    if (!file) {
        return false;
    }
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(file->data()), std::streamsize(file->size()));
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: orlix-sample-images FOLDER\n";
        return 2;
    }
    const fs::path folder = argv[1];
    fs::create_directories(folder);
    const bool written =
        writeJPEG(folder / "photo.jpg", photo(1600, 1200), 1600, 1200) &&
        writePNG(folder / "screenshot.png", screenshot(1280, 800, false), 1280, 800) &&
        writePNG(folder / "badge.png", screenshot(512, 512, true), 512, 512);
    return written ? 0 : 1;
}
