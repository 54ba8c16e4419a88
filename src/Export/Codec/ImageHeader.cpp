#include "Export/Codec/ImageHeader.h"

#include "Export/Codec/ImageFile.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>

namespace orlix {

namespace {

std::uint32_t bigEndian(const std::uint8_t* bytes, int count) {
    std::uint32_t value = 0;
    for (int index = 0; index < count; ++index) {
        value = value << 8 | bytes[index];
    }
    return value;
}

bool readExactly(std::FILE* file, std::uint8_t* bytes, std::size_t count) {
    return std::fread(bytes, 1, count, file) == count;
}

// A PNG's first chunk is its IHDR: width and height right after the chunk's type.
std::optional<ImagePixelSize> pngSize(std::FILE* file) {
    constexpr std::array<std::uint8_t, 8> signature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::array<std::uint8_t, 24> header{};
    if (!readExactly(file, header.data(), header.size()) ||
        !std::equal(signature.begin(), signature.end(), header.begin()) ||
        bigEndian(header.data() + 8, 4) != 13 || header[12] != 'I' || header[13] != 'H' ||
        header[14] != 'D' || header[15] != 'R') {
        return std::nullopt;
    }
    return ImagePixelSize{bigEndian(header.data() + 16, 4), bigEndian(header.data() + 20, 4)};
}

// Start-of-frame markers: every 0xC0 to 0xCF but the Huffman (C4), arithmetic-coding (CC) and
// reserved (C8) ones.
bool isStartOfFrame(std::uint8_t marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// Walks a JPEG's segments, after its start-of-image marker, to the frame header.
std::optional<ImagePixelSize> jpegSize(std::FILE* file) {
    for (;;) {
        int byte = std::fgetc(file);
        if (byte != 0xFF) {
            return std::nullopt;
        }
        // Any number of fill bytes may precede a marker.
        while ((byte = std::fgetc(file)) == 0xFF) {
        }
        if (byte == EOF || byte == 0xD9 || byte == 0xDA) {
            return std::nullopt; // no frame before the image data or the end
        }
        const auto marker = static_cast<std::uint8_t>(byte);
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            continue; // markers without a segment
        }
        std::array<std::uint8_t, 2> length{};
        if (!readExactly(file, length.data(), length.size()) ||
            bigEndian(length.data(), 2) < length.size()) {
            return std::nullopt;
        }
        const std::uint32_t rest = bigEndian(length.data(), 2) - 2;
        if (isStartOfFrame(marker)) {
            // Precision, then height and width.
            std::array<std::uint8_t, 5> frame{};
            if (rest < frame.size() || !readExactly(file, frame.data(), frame.size())) {
                return std::nullopt;
            }
            return ImagePixelSize{bigEndian(frame.data() + 3, 2), bigEndian(frame.data() + 1, 2)};
        }
        if (std::fseek(file, static_cast<long>(rest), SEEK_CUR) != 0) {
            return std::nullopt;
        }
    }
}

} // namespace

std::optional<ImagePixelSize> ImageHeader::pixelSize(const std::filesystem::path& path) {
    const auto file = ImageFile::open(path);
    if (!file) {
        return std::nullopt;
    }
    std::array<std::uint8_t, 2> start{};
    if (!readExactly(file.get(), start.data(), start.size())) {
        return std::nullopt;
    }
    if (start[0] == 0xFF && start[1] == 0xD8) {
        return jpegSize(file.get());
    }
    std::rewind(file.get());
    return pngSize(file.get());
}

} // namespace orlix
