#include "ImageUtilsService/PNGChunkList.h"

#include <zlib.h>

#include <algorithm>

namespace orlix {

namespace {

std::uint32_t loadBigEndian(const std::uint8_t* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) << 24 | static_cast<std::uint32_t>(bytes[1]) << 16 |
           static_cast<std::uint32_t>(bytes[2]) << 8 | bytes[3];
}

void putBigEndian(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

} // namespace

std::optional<std::vector<PNGChunkList::Chunk>>
PNGChunkList::parse(std::span<const std::uint8_t> png) {
    if (png.size() < signature.size() ||
        !std::equal(signature.begin(), signature.end(), png.begin())) {
        return std::nullopt;
    }
    std::vector<Chunk> chunks;
    std::size_t position = signature.size();
    while (png.size() - position >= overhead) {
        Chunk chunk{position, loadBigEndian(png.data() + position), {}};
        std::memcpy(chunk.type.data(), png.data() + position + 4, 4);
        if (chunk.length > maxLength || chunk.length > png.size() - position - overhead) {
            return std::nullopt;
        }
        if (chunks.empty() != chunk.is("IHDR")) {
            return std::nullopt;
        }
        chunks.push_back(chunk);
        position = chunk.end();
        if (chunk.is("IEND")) {
            return chunks;
        }
    }
    return std::nullopt;
}

void PNGChunkList::append(std::vector<std::uint8_t>& out, std::string_view type,
                          std::span<const std::uint8_t> data) {
    putBigEndian(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t typeOffset = out.size();
    out.insert(out.end(), type.begin(), type.end());
    out.insert(out.end(), data.begin(), data.end());
    putBigEndian(out, static_cast<std::uint32_t>(
                          crc32_z(0, out.data() + typeOffset, out.size() - typeOffset)));
}

} // namespace orlix
