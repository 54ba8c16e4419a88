#include "ImageUtilsService/PNGPixelDecoder.h"

namespace orlix {

namespace {

enum ColourType : unsigned { grey = 0, rgb = 2, palette = 3, greyAlpha = 4, rgba = 6 };

unsigned channelsOf(unsigned colourType) {
    switch (colourType) {
    case rgb:
        return 3;
    case greyAlpha:
        return 2;
    case rgba:
        return 4;
    default:
        return 1;
    }
}

// Reads the samples of one row in order, at any depth up to 8 bits.
class SampleReader {
public:
    SampleReader(const std::uint8_t* row, unsigned depth)
        : row_(row)
        , depth_(depth) {}

    unsigned next() {
        if (depth_ == 8) {
            return row_[index_++];
        }
        const std::uint64_t bit = index_++ * depth_;
        const unsigned shift = 8 - depth_ - static_cast<unsigned>(bit % 8);
        return (row_[bit / 8] >> shift) & ((1u << depth_) - 1);
    }

private:
    const std::uint8_t* row_;
    unsigned depth_;
    std::uint64_t index_ = 0;
};

struct Format {
    unsigned colourType;
    unsigned depth;
    std::span<const std::uint8_t> palette;
    std::span<const std::uint8_t> transparency;

    // The transparent colour of a grey or RGB image, sample by sample; a key wider than the
    // depth matches nothing.
    bool isKey(const unsigned* samples, unsigned count) const {
        if (transparency.size() != 2 * count) {
            return false;
        }
        for (unsigned index = 0; index < count; ++index) {
            const unsigned key = transparency[2 * index] << 8 | transparency[2 * index + 1];
            if (key != samples[index]) {
                return false;
            }
        }
        return true;
    }
};

// Nothing for a palette index the palette does not have.
std::optional<std::uint32_t> pixelAt(const Format& format, SampleReader& reader) {
    unsigned samples[4] = {};
    const unsigned channels = channelsOf(format.colourType);
    for (unsigned index = 0; index < channels; ++index) {
        samples[index] = reader.next();
    }
    if (format.colourType == palette) {
        const unsigned index = samples[0];
        if (3 * index + 2 >= format.palette.size()) {
            return std::nullopt;
        }
        const std::uint8_t* entry = format.palette.data() + 3 * index;
        const unsigned alpha =
            index < format.transparency.size() ? format.transparency[index] : 255;
        return PNGPixelDecoder::pack(entry[0], entry[1], entry[2], alpha);
    }
    const unsigned alpha = channels % 2 == 0                 ? samples[channels - 1]
                           : format.isKey(samples, channels) ? 0
                                                             : 255;
    // Low depths are grey only, widened by repeating their bits, which multiplies exactly.
    const unsigned scale = 255 / ((1u << format.depth) - 1);
    const unsigned first = samples[0] * scale;
    if (channels <= 2) {
        return PNGPixelDecoder::pack(first, first, first, alpha);
    }
    return PNGPixelDecoder::pack(samples[0], samples[1], samples[2], alpha);
}

} // namespace

std::optional<std::vector<std::uint32_t>>
PNGPixelDecoder::decode(std::span<const std::uint8_t> ihdr, const PNGRowLayout& layout,
                        const std::vector<std::uint8_t>& rows,
                        std::span<const std::uint8_t> palette,
                        std::span<const std::uint8_t> transparency) {
    const Format format{ihdr[9], ihdr[8], palette, transparency};
    if (format.depth > 8) {
        return std::nullopt;
    }
    std::vector<std::uint32_t> pixels;
    pixels.reserve(static_cast<std::size_t>(layout.pixelCount()));
    const std::uint8_t* row = rows.data();
    for (const PNGRowLayout::Pass& pass : layout.passes()) {
        for (std::uint64_t y = 0; y < pass.rows; ++y, row += pass.rowBytes) {
            SampleReader reader(row, format.depth);
            for (std::uint64_t x = 0; x < pass.width; ++x) {
                const auto pixel = pixelAt(format, reader);
                if (!pixel) {
                    return std::nullopt;
                }
                pixels.push_back(*pixel);
            }
        }
    }
    return pixels;
}

} // namespace orlix
