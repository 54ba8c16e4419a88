#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace orlix {

// The chunks of a PNG file as they lie in it, checked only so far that every one is inside the
// file: IHDR first, IEND last, nothing read past the end.
class PNGChunkList {
public:
    struct Chunk {
        std::size_t offset; // of the length field
        std::uint32_t length;
        std::array<char, 4> type;

        bool is(std::string_view name) const { return std::string_view(type.data(), 4) == name; }
        std::size_t dataOffset() const { return offset + 8; }
        std::size_t end() const { return offset + overhead + length; }
    };

    // Length, type and CRC around a chunk's data.
    static constexpr std::size_t overhead = 12;
    static constexpr std::uint32_t maxLength = 0x7FFFFFFF;
    static constexpr std::array<std::uint8_t, 8> signature = {0x89, 'P',  'N',  'G',
                                                              '\r', '\n', 0x1A, '\n'};

    // The chunks up to and including IEND, or nothing when a length runs past the end, IHDR is
    // not first or IEND is missing. Bytes after IEND are not looked at.
    static std::optional<std::vector<Chunk>> parse(std::span<const std::uint8_t> png);

    // Appends a chunk with its length and CRC.
    static void append(std::vector<std::uint8_t>& out, std::string_view type,
                       std::span<const std::uint8_t> data);
};

} // namespace orlix
