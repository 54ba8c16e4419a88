#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace orlix {

// Recompresses the image data of a PNG with Zopfli. Each row may get another filter, whichever
// choice compresses best, but the rows themselves and every other chunk stay exactly as they were,
// so the pixels do too; only the IDAT chunks are rewritten.
class PNGRecompressor {
public:
    // The smaller PNG, or the input itself when Zopfli gains nothing or the image is too large to
    // be worth it (rawSizeLimit). Nothing when the input is not a PNG this can read safely:
    // malformed chunks, an invalid header, image data that is truncated or inflates to anything
    // but the size the header implies, or rows that name a filter that does not exist.
    static std::optional<std::vector<std::uint8_t>> recompress(std::span<const std::uint8_t> png);

    // Zopfli iterations for image data of `rawSize` bytes (filtered rows, uncompressed).
    static int iterationsFor(std::size_t rawSize);

    // Image data larger than this is left as it is: Zopfli would take minutes on it.
    static constexpr std::uint64_t rawSizeLimit = 64u << 20;

    // Size of the filtered rows the header describes; nothing for an invalid header. Exposed for
    // the tests of the header checks.
    static std::optional<std::uint64_t> rawSizeFromHeader(std::span<const std::uint8_t> ihdr);
};

} // namespace orlix
