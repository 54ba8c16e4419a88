#include "ImageUtilsService/PNGColourRewriter.h"

#include "ImageUtilsService/PNGRowLayout.h"

#include <algorithm>
#include <bitset>
#include <optional>
#include <tuple>
#include <unordered_map>

namespace orlix {

namespace {

constexpr std::size_t maxPaletteSize = 256;
constexpr unsigned greyType = 0, rgbType = 2, paletteType = 3, greyAlphaType = 4, rgbaType = 6;

unsigned red(std::uint32_t pixel) {
    return pixel >> 24;
}
unsigned green(std::uint32_t pixel) {
    return (pixel >> 16) & 0xFF;
}
unsigned blue(std::uint32_t pixel) {
    return (pixel >> 8) & 0xFF;
}
unsigned alpha(std::uint32_t pixel) {
    return pixel & 0xFF;
}
unsigned luma(std::uint32_t pixel) {
    return 299 * red(pixel) + 587 * green(pixel) + 114 * blue(pixel);
}

// What the pixels ask of an encoding, gathered in one pass.
struct Survey {
    bool grey = true;
    bool opaque = true;
    // Every transparent pixel fully so and of one colour, which no opaque pixel has.
    bool keyable = true;
    std::optional<std::uint32_t> clearColour;
    // Each colour and how often it occurs; empty when there are more than a palette holds.
    std::unordered_map<std::uint32_t, std::uint64_t> colours;
    std::bitset<256> greyValues;

    explicit Survey(const std::vector<std::uint32_t>& pixels) {
        // Pictures repeat the pixel beside so often that counting runs saves most of the lookups.
        std::uint32_t previous = pixels.front();
        std::uint64_t run = 0;
        for (const std::uint32_t pixel : pixels) {
            if (pixel == previous) {
                ++run;
                continue;
            }
            count(previous, run);
            previous = pixel;
            run = 1;
        }
        count(previous, run);
        if (colours.size() > maxPaletteSize) {
            colours.clear();
        }
        keyable = keyable && !opaque &&
                  std::none_of(pixels.begin(), pixels.end(), [this](std::uint32_t pixel) {
                      return alpha(pixel) == 255 && (pixel >> 8) == (*clearColour >> 8);
                  });
    }

    void count(std::uint32_t pixel, std::uint64_t run) {
        note(pixel);
        if (colours.size() <= maxPaletteSize) {
            colours[pixel] += run;
        }
    }

    void note(std::uint32_t pixel) {
        grey = grey && red(pixel) == green(pixel) && red(pixel) == blue(pixel);
        greyValues.set(red(pixel));
        if (alpha(pixel) == 255) {
            return;
        }
        opaque = false;
        keyable = keyable && alpha(pixel) == 0 && (!clearColour || *clearColour == pixel);
        clearColour = pixel;
    }

    // The fewest bits a grey sample needs for every value to widen back to itself exactly.
    unsigned greyDepth() const {
        for (const unsigned depth : {1u, 2u, 4u}) {
            const unsigned step = 255 / ((1u << depth) - 1);
            bool exact = true;
            for (unsigned value = 0; value < 256 && exact; ++value) {
                exact = !greyValues.test(value) || value % step == 0;
            }
            if (exact) {
                return depth;
            }
        }
        return 8;
    }
};

PNGEncoding encodingOf(std::span<const std::uint8_t> ihdr, unsigned colourType, unsigned depth) {
    PNGEncoding encoding;
    std::copy(ihdr.begin(), ihdr.end(), encoding.header.begin());
    encoding.header[8] = static_cast<std::uint8_t>(depth);
    encoding.header[9] = static_cast<std::uint8_t>(colourType);
    return encoding;
}

// Writes the rows of `encoding` from the pixels, `samples(pixel, out)` giving a pixel's samples.
template <typename Samples>
void packRows(PNGEncoding& encoding, const std::vector<std::uint32_t>& pixels, unsigned channels,
              Samples samples) {
    const auto layout = PNGRowLayout::fromHeader(encoding.header);
    const unsigned depth = encoding.header[8];
    encoding.rows.reserve(static_cast<std::size_t>(layout->rawSize()));
    auto pixel = pixels.begin();
    unsigned values[4] = {};
    for (const PNGRowLayout::Pass& pass : layout->passes()) {
        for (std::uint64_t y = 0; y < pass.rows; ++y) {
            const std::size_t start = encoding.rows.size();
            encoding.rows.resize(start + static_cast<std::size_t>(pass.rowBytes), 0);
            std::uint8_t* row = encoding.rows.data() + start;
            std::uint64_t bit = 0;
            for (std::uint64_t x = 0; x < pass.width; ++x, ++pixel) {
                samples(*pixel, values);
                for (unsigned channel = 0; channel < channels; ++channel, bit += depth) {
                    row[bit / 8] |=
                        static_cast<std::uint8_t>(values[channel] << (8 - depth - bit % 8));
                }
            }
        }
    }
}

void putSixteenBits(std::vector<std::uint8_t>& out, unsigned value) {
    out.push_back(static_cast<std::uint8_t>(value >> 8));
    out.push_back(static_cast<std::uint8_t>(value));
}

PNGEncoding paletteEncoding(std::span<const std::uint8_t> ihdr,
                            const std::vector<std::uint32_t>& pixels,
                            const std::vector<std::uint32_t>& order) {
    unsigned depth = 1;
    while ((1u << depth) < order.size()) {
        depth *= 2;
    }
    PNGEncoding encoding = encodingOf(ihdr, paletteType, depth);
    std::unordered_map<std::uint32_t, unsigned> indexOf;
    std::size_t transparencyLength = 0;
    for (std::size_t index = 0; index < order.size(); ++index) {
        const std::uint32_t colour = order[index];
        indexOf[colour] = static_cast<unsigned>(index);
        encoding.palette.insert(encoding.palette.end(), {static_cast<std::uint8_t>(red(colour)),
                                                         static_cast<std::uint8_t>(green(colour)),
                                                         static_cast<std::uint8_t>(blue(colour))});
        encoding.transparency.push_back(static_cast<std::uint8_t>(alpha(colour)));
        transparencyLength = alpha(colour) < 255 ? index + 1 : transparencyLength;
    }
    encoding.transparency.resize(transparencyLength);
    std::uint32_t previous = ~pixels.front();
    unsigned previousIndex = 0;
    packRows(encoding, pixels, 1, [&](std::uint32_t pixel, unsigned* values) {
        if (pixel != previous) {
            previous = pixel;
            previousIndex = indexOf[pixel];
        }
        values[0] = previousIndex;
    });
    return encoding;
}

// Sorted by a key, ties broken by the colour itself so that the order is always the same.
template <typename Key>
std::vector<std::uint32_t> sortedBy(std::vector<std::uint32_t> colours, Key key) {
    std::sort(colours.begin(), colours.end(), [&](std::uint32_t left, std::uint32_t right) {
        return std::tuple(key(left), left) < std::tuple(key(right), right);
    });
    return colours;
}

// Translucent entries first, so that the transparency chunk ends at the last of them; then by
// brightness, in which neighbouring indices tend to be similar colours, which is what lets the row
// filters predict an index from the one beside or above it, or by frequency.
std::vector<std::vector<std::uint32_t>>
paletteOrders(const std::unordered_map<std::uint32_t, std::uint64_t>& counts) {
    std::vector<std::uint32_t> colours;
    for (const auto& entry : counts) {
        colours.push_back(entry.first);
    }
    std::vector<std::vector<std::uint32_t>> orders = {
        sortedBy(colours,
                 [](std::uint32_t colour) { return std::tuple(alpha(colour), luma(colour)); }),
        sortedBy(colours,
                 [](std::uint32_t colour) {
                     return std::tuple(alpha(colour) == 255, luma(colour), alpha(colour));
                 }),
        sortedBy(colours,
                 [&counts](std::uint32_t colour) {
                     return std::tuple(alpha(colour) == 255, ~counts.at(colour));
                 }),
    };
    std::sort(orders.begin(), orders.end());
    orders.erase(std::unique(orders.begin(), orders.end()), orders.end());
    return orders;
}

void addGrey(std::vector<PNGEncoding>& out, std::span<const std::uint8_t> ihdr,
             const std::vector<std::uint32_t>& pixels, const Survey& survey, bool multiByte) {
    if (survey.opaque || survey.keyable) {
        const unsigned depth = survey.greyDepth();
        const unsigned step = 255 / ((1u << depth) - 1);
        PNGEncoding encoding = encodingOf(ihdr, greyType, depth);
        if (!survey.opaque) {
            putSixteenBits(encoding.transparency, red(*survey.clearColour) / step);
        }
        packRows(encoding, pixels, 1,
                 [step](std::uint32_t pixel, unsigned* values) { values[0] = red(pixel) / step; });
        out.push_back(std::move(encoding));
    }
    if (!survey.opaque && multiByte) {
        PNGEncoding encoding = encodingOf(ihdr, greyAlphaType, 8);
        packRows(encoding, pixels, 2, [](std::uint32_t pixel, unsigned* values) {
            values[0] = red(pixel);
            values[1] = alpha(pixel);
        });
        out.push_back(std::move(encoding));
    }
}

void addTrueColour(std::vector<PNGEncoding>& out, std::span<const std::uint8_t> ihdr,
                   const std::vector<std::uint32_t>& pixels, const Survey& survey) {
    const auto channels = [](std::uint32_t pixel, unsigned* values) {
        values[0] = red(pixel);
        values[1] = green(pixel);
        values[2] = blue(pixel);
        values[3] = alpha(pixel);
    };
    if (survey.opaque || survey.keyable) {
        PNGEncoding encoding = encodingOf(ihdr, rgbType, 8);
        if (!survey.opaque) {
            const std::uint32_t key = *survey.clearColour;
            for (const unsigned sample : {red(key), green(key), blue(key)}) {
                putSixteenBits(encoding.transparency, sample);
            }
        }
        packRows(encoding, pixels, 3, channels);
        out.push_back(std::move(encoding));
    }
    if (!survey.opaque) {
        PNGEncoding encoding = encodingOf(ihdr, rgbaType, 8);
        packRows(encoding, pixels, 4, channels);
        out.push_back(std::move(encoding));
    }
}

} // namespace

std::vector<PNGEncoding> PNGColourRewriter::alternatives(std::span<const std::uint8_t> ihdr,
                                                         const std::vector<std::uint32_t>& pixels,
                                                         Models models) {
    std::vector<PNGEncoding> out;
    if (pixels.empty()) {
        return out;
    }
    const Survey survey(pixels);
    const bool paletted = models.colour && !survey.colours.empty();
    if (paletted) {
        for (const auto& order : paletteOrders(survey.colours)) {
            out.push_back(paletteEncoding(ihdr, pixels, order));
        }
    }
    const bool oneByte =
        paletted || (models.grey && survey.grey && (survey.opaque || survey.keyable));
    const bool multiByte = !oneByte || pixels.size() <= smallImagePixels;
    if (models.grey && survey.grey) {
        addGrey(out, ihdr, pixels, survey, multiByte);
    }
    if (models.colour && multiByte) {
        addTrueColour(out, ihdr, pixels, survey);
    }
    return out;
}

} // namespace orlix
