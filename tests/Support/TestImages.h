#pragma once

#include "Export/BitmapImageRep.h"
#include "Platform/FileDescriptor.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

namespace orlix::testing {

// Colour of the pixel at (x, y) as red, green, blue.
using ColourAt = std::function<std::array<std::uint8_t, 3>(std::uint32_t x, std::uint32_t y)>;

// Image files and bitmaps the export tests are made of.
class TestImages {
public:
    static std::shared_ptr<BitmapImageRep> rgbaBitmap(std::uint32_t width, std::uint32_t height,
                                                      const ColourAt& colour);
    // A JPEG file at quality 95 with the given density in pixels per point.
    static void writeJPEG(const std::filesystem::path& path, std::uint32_t width,
                          std::uint32_t height, const ColourAt& colour, double density = 1.0);
    static void writeGreyJPEG(const std::filesystem::path& path, std::uint32_t width,
                              std::uint32_t height);
    // A palette PNG of the colours the function gives (at most 256 distinct ones).
    static void writePNG(const std::filesystem::path& path, std::uint32_t width,
                         std::uint32_t height, const ColourAt& colour, double density = 1.0);
    static void writeBytes(const std::filesystem::path& path,
                           const std::vector<std::uint8_t>& bytes);
    // What may stand in a folder under an image's name and is no file: pipes named .png and
    // .jpg, a pipe that a writer holds open without writing, a terminal, links to /dev/zero and
    // /dev/urandom, a folder and a socket. A read of the held pipe or of the terminal waits for as
    // long as their other ends are open: the result holds them.
    struct NonFiles {
        std::vector<std::filesystem::path> paths;
        std::vector<std::unique_ptr<FileDescriptor>> otherEnds;

        auto begin() const { return paths.begin(); }
        auto end() const { return paths.end(); }
    };
    static NonFiles writeNonFiles(const std::filesystem::path& folder);

    // A photo nobody here made, as the program reads it: a wallpaper of Debian's ukui-wallpapers
    // package (3640 x 2400, colour profile), which `make deps` installs. Fails the test when it
    // is missing.
    static std::shared_ptr<const BitmapImageRep> realPhoto();
    // The colour profile that photo carries (sRGB, as cameras and phones tag theirs).
    static std::vector<std::uint8_t> realPhotoProfile();
    // The rectangle (x, y, width, height) of a bitmap, in its layout.
    static std::shared_ptr<const BitmapImageRep> crop(const BitmapImageRep& bitmap, std::uint32_t x,
                                                      std::uint32_t y, std::uint32_t width,
                                                      std::uint32_t height);

    // Noise that no encoder can shrink much, and that has no flat areas.
    static std::array<std::uint8_t, 3> noise(std::uint32_t x, std::uint32_t y);
    static std::array<std::uint8_t, 3> gradient(std::uint32_t x, std::uint32_t y);
    // Blocks of 4 x 4 pixels in up to 256 colours, for palette files of any size.
    static std::array<std::uint8_t, 3> blocks(std::uint32_t x, std::uint32_t y);
};

} // namespace orlix::testing
