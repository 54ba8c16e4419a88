#include "Support/TestImages.h"

#include "Export/BitmapImageRepWithMetadata.h"
#include "Export/Codec/PNGWriter.h"
#include "Export/JPEGCompressor.h"
#include "Support/EncoderOutput.h"

#include <gtest/gtest.h>

// jpeglib.h needs size_t and FILE declared before it.
#include <cstddef>
#include <cstdio>
#include <jpeglib.h>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <map>

namespace orlix::testing {

std::shared_ptr<BitmapImageRep> TestImages::rgbaBitmap(std::uint32_t width, std::uint32_t height,
                                                       const ColourAt& colour) {
    auto bitmap = BitmapImageRep::make(width, height, CoarseBitmapInfo::rgbaSRGB());
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            const auto rgb = colour(x, y);
            auto* pixel = bitmap->row(y) + x * 4;
            std::copy(rgb.begin(), rgb.end(), pixel);
            pixel[3] = 255;
        }
    }
    return bitmap;
}

void TestImages::writeBytes(const std::filesystem::path& path,
                            const std::vector<std::uint8_t>& bytes) {
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    ASSERT_TRUE(file.good()) << path;
}

TestImages::NonFiles TestImages::writeNonFiles(const std::filesystem::path& folder) {
    NonFiles made;
    made.paths = {folder / "pipe.png",   folder / "pipe.jpg",  folder / "held-pipe.jpg",
                  folder / "zero.png",   folder / "noise.jpg", folder / "terminal.png",
                  folder / "folder.jpg", folder / "socket.png"};
    for (const auto& pipe : {made.paths[0], made.paths[1], made.paths[2]}) {
        EXPECT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    }
    // Read and write: the pipe has a writer from now on, and opening it does not wait for one.
    made.otherEnds.push_back(
        std::make_unique<FileDescriptor>(::open(made.paths[2].c_str(), O_RDWR | O_CLOEXEC)));
    std::filesystem::create_symlink("/dev/zero", made.paths[3]);
    std::filesystem::create_symlink("/dev/urandom", made.paths[4]);
    auto terminal = std::make_unique<FileDescriptor>(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
    EXPECT_EQ(::grantpt(terminal->get()), 0);
    EXPECT_EQ(::unlockpt(terminal->get()), 0);
    const char* terminalName = ::ptsname(terminal->get());
    EXPECT_NE(terminalName, nullptr);
    std::filesystem::create_symlink(terminalName ? terminalName : "", made.paths[5]);
    made.otherEnds.push_back(std::move(terminal));
    std::filesystem::create_directory(made.paths[6]);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    EXPECT_LT(made.paths[7].string().size(), sizeof address.sun_path);
    made.paths[7].string().copy(address.sun_path, sizeof address.sun_path - 1);
    const int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    EXPECT_EQ(::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ::close(listener);
    for (const auto& end : made.otherEnds) {
        EXPECT_GE(end->get(), 0);
    }
    return made;
}

void TestImages::writeJPEG(const std::filesystem::path& path, std::uint32_t width,
                           std::uint32_t height, const ColourAt& colour, double density) {
    const auto bitmap = rgbaBitmap(width, height, colour);
    const auto file = compressJPEG({bitmap->data(), bitmap->byteCount()}, 95, width, height, false,
                                   true, density, density);
    ASSERT_TRUE(file);
    writeBytes(path, *file);
}

void TestImages::writeGreyJPEG(const std::filesystem::path& path, std::uint32_t width,
                               std::uint32_t height) {
    std::vector<std::uint8_t> grey(std::size_t(width) * height);
    for (std::size_t i = 0; i < grey.size(); ++i) {
        grey[i] = std::uint8_t(i * 7);
    }
    const auto file = compressJPEG(grey, 95, width, height, true, false, 1.0, 1.0);
    ASSERT_TRUE(file);
    writeBytes(path, *file);
}

void TestImages::writePNG(const std::filesystem::path& path, std::uint32_t width,
                          std::uint32_t height, const ColourAt& colour, double density) {
    std::map<std::array<std::uint8_t, 3>, std::uint8_t> indices;
    std::vector<std::uint8_t> palette;
    std::vector<std::uint8_t> pixels;
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            const auto rgb = colour(x, y);
            const auto [entry, added] = indices.emplace(rgb, std::uint8_t(indices.size()));
            if (added) {
                ASSERT_LE(indices.size(), 256u);
                palette.insert(palette.end(), {rgb[0], rgb[1], rgb[2], 255});
            }
            pixels.push_back(entry->second);
        }
    }
    std::uint8_t* data = nullptr;
    std::uint32_t length = 0;
    const bool encoded =
        encodeIndexedPNG(pixels.data(), palette.data(), std::uint16_t(palette.size() / 4), width,
                         height, &data, &length, density, density);
    const auto file = takeEncoderOutput(encoded, data, length);
    ASSERT_TRUE(file);
    writeBytes(path, *file);
}

std::shared_ptr<const BitmapImageRep> TestImages::realPhoto() {
    static const auto photo = [] {
        const auto loaded =
            BitmapImageRepWithMetadata::load(Url::fileUrl("/usr/share/backgrounds/string.jpg"));
        return loaded ? loaded->bitmapImageRep() : nullptr;
    }();
    EXPECT_TRUE(photo) << "install ukui-wallpapers (make deps) for its photos";
    return photo;
}

std::vector<std::uint8_t> TestImages::realPhotoProfile() {
    std::vector<std::uint8_t> profile;
    std::FILE* file = std::fopen("/usr/share/backgrounds/string.jpg", "rb");
    if (file == nullptr) {
        ADD_FAILURE() << "install ukui-wallpapers (make deps) for its photos";
        return profile;
    }
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_save_markers(&info, JPEG_APP0 + 2, 0xFFFF);
    jpeg_read_header(&info, TRUE);
    JOCTET* bytes = nullptr;
    unsigned int length = 0;
    if (jpeg_read_icc_profile(&info, &bytes, &length) != FALSE) {
        profile.assign(bytes, bytes + length);
        std::free(bytes);
    }
    jpeg_destroy_decompress(&info);
    std::fclose(file);
    return profile;
}

std::shared_ptr<const BitmapImageRep> TestImages::crop(const BitmapImageRep& bitmap,
                                                       std::uint32_t x, std::uint32_t y,
                                                       std::uint32_t width, std::uint32_t height) {
    auto cropped = BitmapImageRep::make(width, height, bitmap.info());
    const std::size_t samples = bitmap.samplesPerPixel();
    for (std::uint32_t row = 0; row < height; ++row) {
        std::copy_n(bitmap.row(y + row) + x * samples, width * samples, cropped->row(row));
    }
    return cropped;
}

std::array<std::uint8_t, 3> TestImages::noise(std::uint32_t x, std::uint32_t y) {
    std::uint32_t state = x * 73856093u ^ y * 19349663u;
    state ^= state >> 13;
    state *= 0x5bd1e995u;
    state ^= state >> 15;
    return {std::uint8_t(state), std::uint8_t(state >> 8), std::uint8_t(state >> 16)};
}

std::array<std::uint8_t, 3> TestImages::gradient(std::uint32_t x, std::uint32_t y) {
    return {std::uint8_t(x), std::uint8_t(y), std::uint8_t(x + y)};
}

std::array<std::uint8_t, 3> TestImages::blocks(std::uint32_t x, std::uint32_t y) {
    return {std::uint8_t((x / 4 % 16) * 16), std::uint8_t((y / 4 % 16) * 16), 90};
}

} // namespace orlix::testing
