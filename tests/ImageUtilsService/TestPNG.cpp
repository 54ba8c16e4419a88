#include "TestPNG.h"

#include <png.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <random>

namespace orlix::testing {

TestImage makeTestImage(std::uint32_t width, std::uint32_t height, std::uint32_t seed) {
    TestImage image{width, height, Bytes(std::size_t{width} * height * 4)};
    std::mt19937 random(seed);
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            std::uint8_t* pixel = image.rgba.data() + (std::size_t{y} * width + x) * 4;
            const bool noisy = x > width / 2 && y > height / 2;
            const auto noise = noisy ? static_cast<int>(random() % 64) : 0;
            pixel[0] = static_cast<std::uint8_t>(x * 255 / width);
            pixel[1] = static_cast<std::uint8_t>(y * 255 / height);
            pixel[2] = static_cast<std::uint8_t>(((x + y) * 3 + noise) & 0xFF);
            pixel[3] = x < width / 8 && y < height / 8 ? 0 : 255;
        }
    }
    return image;
}

namespace {

void appendToBytes(png_structp writer, png_bytep data, png_size_t length) {
    auto* target = static_cast<Bytes*>(png_get_io_ptr(writer));
    target->insert(target->end(), data, data + length);
}

// One sample a byte, as png_set_packing has libpng take them at any depth.
Bytes samplesOf(const TestImage& image, int colourType, int depth, std::vector<png_color>& palette,
                std::vector<png_byte>& alphas) {
    std::map<std::uint32_t, png_byte> indices;
    const int step = depth < 8 ? 255 / ((1 << depth) - 1) : 1;
    Bytes samples;
    for (std::size_t pixel = 0; pixel < image.rgba.size(); pixel += 4) {
        const std::uint8_t* rgba = image.rgba.data() + pixel;
        switch (colourType) {
        case PNG_COLOR_TYPE_PALETTE: {
            const std::uint32_t colour =
                std::uint32_t(rgba[0]) << 24 | rgba[1] << 16 | rgba[2] << 8 | rgba[3];
            const auto [entry, added] =
                indices.emplace(colour, static_cast<png_byte>(indices.size()));
            if (added) {
                palette.push_back({rgba[0], rgba[1], rgba[2]});
                alphas.push_back(rgba[3]);
            }
            samples.push_back(entry->second);
            break;
        }
        case PNG_COLOR_TYPE_GRAY:
            samples.push_back(static_cast<std::uint8_t>(rgba[0] / step));
            break;
        case PNG_COLOR_TYPE_GRAY_ALPHA:
            samples.insert(samples.end(), {rgba[0], rgba[3]});
            break;
        case PNG_COLOR_TYPE_RGB:
            samples.insert(samples.end(), rgba, rgba + 3);
            break;
        default:
            samples.insert(samples.end(), rgba, rgba + 4);
        }
    }
    return samples;
}

struct Format {
    int colourType;
    int depth;
    int compressionLevel;
    bool interlaced;
    std::optional<std::uint32_t> key;
    bool comment;
};

Bytes writePNG(const TestImage& image, const Format& format) {
    const int colourType = format.colourType;
    const int depth = format.depth;
    const auto& key = format.key;
    std::vector<png_color> palette;
    std::vector<png_byte> alphas;
    const Bytes samples = samplesOf(image, colourType, depth, palette, alphas);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    Bytes out;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &out, appendToBytes, nullptr);
    png_set_compression_level(png, format.compressionLevel);
    png_set_IHDR(png, info, image.width, image.height, depth, colourType,
                 format.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (colourType == PNG_COLOR_TYPE_PALETTE) {
        png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
        if (std::any_of(alphas.begin(), alphas.end(), [](png_byte alpha) { return alpha < 255; })) {
            png_set_tRNS(png, info, alphas.data(), static_cast<int>(alphas.size()), nullptr);
        }
    }
    if (key) {
        const int step = depth < 8 ? 255 / ((1 << depth) - 1) : 1;
        png_color_16 colour{};
        colour.red = static_cast<png_uint_16>(*key >> 24);
        colour.green = static_cast<png_uint_16>((*key >> 16) & 0xFF);
        colour.blue = static_cast<png_uint_16>((*key >> 8) & 0xFF);
        colour.gray = static_cast<png_uint_16>(colour.red / step);
        png_set_tRNS(png, info, nullptr, 0, &colour);
    }
    png_text comment{};
    if (format.comment) {
        comment.compression = PNG_TEXT_COMPRESSION_NONE;
        comment.key = const_cast<char*>("Comment");
        comment.text = const_cast<char*>("kept in place");
        png_set_text(png, info, &comment, 1);
    }
    png_write_info(png, info);
    png_set_packing(png);
    const std::size_t rowSamples = samples.size() / image.height;
    const int passes = png_set_interlace_handling(png);
    for (int pass = 0; pass < passes; ++pass) {
        for (std::uint32_t y = 0; y < image.height; ++y) {
            png_write_row(png, samples.data() + y * rowSamples);
        }
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

} // namespace

Bytes encodePNG(const TestImage& image, int compressionLevel, bool interlaced) {
    return writePNG(image, {PNG_COLOR_TYPE_RGBA, 8, compressionLevel, interlaced, {}, true});
}

Bytes encodePNGAs(const TestImage& image, int colourType, int depth, bool interlaced,
                  std::optional<std::uint32_t> key) {
    return writePNG(image, {colourType, depth, 6, interlaced, key, false});
}

std::optional<TestImage> decodePNG(const Bytes& png) {
    png_image reader{};
    reader.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&reader, png.data(), png.size())) {
        return std::nullopt;
    }
    reader.format = PNG_FORMAT_RGBA;
    TestImage image{reader.width, reader.height, Bytes(PNG_IMAGE_SIZE(reader))};
    if (!png_image_finish_read(&reader, nullptr, image.rgba.data(), 0, nullptr)) {
        png_image_free(&reader);
        return std::nullopt;
    }
    return image;
}

} // namespace orlix::testing
