#include "TestPNG.h"

#include <png.h>

#include <cstring>
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

Bytes encodePNG(const TestImage& image, int compressionLevel, bool interlaced) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    Bytes out;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(
        png, &out,
        [](png_structp writer, png_bytep data, png_size_t length) {
            auto* target = static_cast<Bytes*>(png_get_io_ptr(writer));
            target->insert(target->end(), data, data + length);
        },
        nullptr);
    png_set_compression_level(png, compressionLevel);
    png_set_IHDR(png, info, image.width, image.height, 8, PNG_COLOR_TYPE_RGBA,
                 interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_text comment{};
    comment.compression = PNG_TEXT_COMPRESSION_NONE;
    comment.key = const_cast<char*>("Comment");
    comment.text = const_cast<char*>("kept in place");
    png_set_text(png, info, &comment, 1);
    png_write_info(png, info);
    const int passes = png_set_interlace_handling(png);
    for (int pass = 0; pass < passes; ++pass) {
        for (std::uint32_t y = 0; y < image.height; ++y) {
            png_write_row(png, image.rgba.data() + std::size_t{y} * image.width * 4);
        }
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
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
