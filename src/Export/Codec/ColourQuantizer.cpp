#include "Export/Codec/ColourQuantizer.h"

#include "Export/Codec/ColourHistogram.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <limits>
#include <new>
#include <utility>
#include <vector>

namespace orlix {
namespace {

using Colour = std::array<double, 4>;
enum Channel { red = 0, green = 1, blue = 2, alpha = 3 };

constexpr int maximumColours = 256;
// The first candidate distance of the palette search: larger than any two weighted colours are
// apart, so the first box always qualifies.
constexpr double farthestDistance = 16.0;
// Scaled offsets of the four dither phases (x mod 2 + 2 * (y mod 2)), centred on zero.
constexpr std::array<double, 4> phaseOffsets{-0.375, 0.125, 0.375, -0.125};

struct SortItem {
    double key;
    HistogramEntry* entry;
};

struct Box {
    Colour direction{};
    Colour average{};
    double gain = 0.0;
    double error = 0.0;
    std::int64_t count = 0;
    HistogramEntry* entries = nullptr;
    HistogramEntry* split = nullptr; // first entry of the second half
};

// The sums are spelled out in one order everywhere so that equal inputs give bit-equal results.
double dot(const Colour& x, const Colour& y) {
    return x[alpha] * y[alpha] + ((x[green] * y[green] + x[red] * y[red]) + x[blue] * y[blue]);
}

} // namespace

class ColourQuantizer {
public:
    ColourHistogram histogram;
    std::array<Box, maximumColours> boxes{};
    int boxCount = 0;
    int channelBits = 8;
    bool refined = false;
    bool alphaWeighting = true;
    std::uint64_t randomState = 0x853C49E6748FEA9Bull;
    // Working memory of the box statistics, kept to spare allocations on every split.
    std::vector<SortItem> items;
    std::vector<SortItem> sortScratch;
    std::vector<std::pair<std::size_t, std::size_t>> pendingSorts;
    // Boxes in ascending order of their green average, for the palette search; rebuilt whenever
    // a search phase starts on changed averages.
    std::array<std::uint8_t, maximumColours> byGreen{};

    std::uint32_t channelMask() const { return 0xFF00u >> channelBits; }

    Colour weigh(std::uint32_t key) const {
        const std::uint32_t mask = channelMask();
        const float r = static_cast<float>(key & mask) / 255.0f * 1.0f;
        const float g = static_cast<float>((key >> 8) & mask) / 255.0f * 1.2f;
        const float b = static_cast<float>((key >> 16) & mask) / 255.0f * 0.8f;
        const float a = static_cast<float>(key >> 24) / 255.0f * 1.0f;
        Colour colour{r, g, b, a};
        if (alphaWeighting) {
            for (int c = red; c <= blue; ++c) {
                colour[c] *= colour[alpha];
            }
        }
        return colour;
    }

    void indexPalette() {
        for (int i = 0; i < boxCount; ++i) {
            byGreen[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
        }
        std::sort(byGreen.begin(), byGreen.begin() + boxCount,
                  [this](std::uint8_t x, std::uint8_t y) {
                      return boxes[x].average[green] < boxes[y].average[green];
                  });
    }

    // The box whose average is closest, the lowest index among equally close ones, or box 0 when
    // none is closer than the starting distance. Searches outwards from the colour's green value
    // and stops on each side once the green difference alone rules every further box out: each
    // term is a lower bound of the rounded sum, so nothing is skipped that could win or tie.
    std::uint8_t nearestBox(const Colour& colour) const {
        double best = farthestDistance;
        int nearest = 0;
        const auto consider = [&](int i) {
            const Colour& average = boxes[static_cast<std::size_t>(i)].average;
            const double da = colour[alpha] - average[alpha];
            const double daSquared = da * da;
            if (daSquared > best) {
                return;
            }
            const double dr = colour[red] - average[red];
            const double dg = colour[green] - average[green];
            const double db = colour[blue] - average[blue];
            const double distance = daSquared + ((dg * dg + dr * dr) + db * db);
            if (distance < best || (distance == best && i < nearest)) {
                best = distance;
                nearest = i;
            }
        };
        const auto greenGap = [&](std::ptrdiff_t position) {
            const double dg =
                colour[green] - boxes[byGreen[static_cast<std::size_t>(position)]].average[green];
            return dg * dg;
        };
        const auto begin = byGreen.begin();
        std::ptrdiff_t up = std::lower_bound(begin, begin + boxCount, colour[green],
                                             [this](std::uint8_t box, double value) {
                                                 return boxes[box].average[green] < value;
                                             }) -
                            begin;
        std::ptrdiff_t down = up - 1;
        bool upOpen = up < boxCount;
        bool downOpen = down >= 0;
        while (upOpen || downOpen) {
            const bool takeUp = upOpen && (!downOpen || greenGap(up) <= greenGap(down));
            const std::ptrdiff_t position = takeUp ? up : down;
            if (greenGap(position) > best) {
                (takeUp ? upOpen : downOpen) = false;
                continue;
            }
            consider(byGreen[static_cast<std::size_t>(position)]);
            if (takeUp) {
                upOpen = ++up < boxCount;
            } else {
                downOpen = --down >= 0;
            }
        }
        return static_cast<std::uint8_t>(nearest);
    }

    // Splits each run around its mean key and puts the keys below the mean first, each part in
    // reverse order; a part with nothing on one side of the mean stays as it is. Worked through
    // with an explicit stack, because skewed keys can make the partitions as deep as the run is
    // long.
    void sortItems() {
        pendingSorts.clear();
        pendingSorts.emplace_back(0, items.size());
        sortScratch.resize(items.size());
        while (!pendingSorts.empty()) {
            const auto [first, last] = pendingSorts.back();
            pendingSorts.pop_back();
            if (last - first < 2) {
                continue;
            }
            double sum = 0.0;
            for (std::size_t i = first; i < last; ++i) {
                sum += items[i].key;
            }
            const double mean = sum / static_cast<double>(last - first);
            std::size_t written = 0;
            for (std::size_t i = last; i-- > first;) {
                if (items[i].key < mean) {
                    sortScratch[written++] = items[i];
                }
            }
            const std::size_t lowCount = written;
            for (std::size_t i = last; i-- > first;) {
                if (!(items[i].key < mean)) {
                    sortScratch[written++] = items[i];
                }
            }
            std::copy(sortScratch.begin(),
                      sortScratch.begin() + static_cast<std::ptrdiff_t>(written),
                      items.begin() + static_cast<std::ptrdiff_t>(first));
            if (lowCount != 0 && lowCount != written) {
                pendingSorts.emplace_back(first, first + lowCount);
                pendingSorts.emplace_back(first + lowCount, last);
            }
        }
    }

    void computeStatistics(Box& box) {
        std::int64_t n = 0;
        Colour sums{};
        Colour squares{};
        items.clear();
        for (HistogramEntry* entry = box.entries; entry != nullptr; entry = entry->nextInBox) {
            items.push_back({0.0, entry});
            n += static_cast<std::int64_t>(entry->count);
            const double weight = static_cast<double>(entry->count);
            for (int c = 0; c < 4; ++c) {
                sums[c] += weight * entry->colour[c];
                squares[c] += weight * (entry->colour[c] * entry->colour[c]);
            }
        }
        box.count = n;
        if (n == 0) {
            box.error = 0.0;
            box.gain = 0.0;
            box.split = nullptr;
            return;
        }
        const double total = static_cast<double>(n);
        Colour variance{};
        for (int c = 0; c < 4; ++c) {
            box.average[c] = sums[c] / total;
            variance[c] = squares[c] - box.average[c] * sums[c];
        }
        box.error = ((variance[green] + variance[red]) + variance[blue]) + variance[alpha];
        box.gain = -box.error;

        // Ordering along the widest channel first makes the axis sums below start from a
        // consistent end, so opposite deviations reinforce rather than cancel.
        int widest = alpha;
        if (variance[red] > variance[green] && variance[red] > variance[blue] &&
            variance[red] > variance[alpha]) {
            widest = red;
        } else if (variance[green] > variance[blue] && variance[green] > variance[alpha]) {
            widest = green;
        } else if (variance[blue] > variance[alpha]) {
            widest = blue;
        }
        for (SortItem& item : items) {
            item.key = item.entry->colour[static_cast<std::size_t>(widest)];
        }
        sortItems();

        Colour axis{};
        for (const SortItem& item : items) {
            Colour step{};
            for (int c = 0; c < 4; ++c) {
                step[c] = (item.entry->colour[c] - box.average[c]) *
                          static_cast<double>(item.entry->count);
            }
            const bool opposite = dot(step, axis) < 0.0;
            for (int c = 0; c < 4; ++c) {
                axis[c] += opposite ? -step[c] : step[c];
            }
        }
        // All entries on the average (one entry, or colours that weigh the same) leave no axis;
        // a zero axis sorts exactly as the undefined one would, without producing NaNs.
        const double lengthSquared = dot(axis, axis);
        if (lengthSquared > 0.0) {
            const double scale = 1.0 / std::sqrt(lengthSquared);
            for (double& component : axis) {
                component *= scale;
            }
        }
        box.direction = axis;
        for (SortItem& item : items) {
            item.key = dot(item.entry->colour, axis);
        }
        sortItems();

        std::int64_t k = 0;
        Colour leftSums{};
        Colour leftSquares{};
        bool improved = false;
        for (std::size_t i = 0; i + 1 < items.size(); ++i) {
            const HistogramEntry& entry = *items[i].entry;
            k += static_cast<std::int64_t>(entry.count);
            const double weight = static_cast<double>(entry.count);
            for (int c = 0; c < 4; ++c) {
                leftSums[c] += weight * entry.colour[c];
                leftSquares[c] += weight * (entry.colour[c] * entry.colour[c]);
            }
            const double left = static_cast<double>(k);
            const double right = static_cast<double>(n - k);
            const auto leftError = [&](int c) {
                return leftSquares[c] - leftSums[c] * leftSums[c] / left;
            };
            const double errorLeft =
                ((leftError(red) + leftError(green)) + leftError(blue)) + leftError(alpha);
            Colour errorRight{};
            for (int c = 0; c < 4; ++c) {
                const double rest = sums[c] - leftSums[c];
                errorRight[c] = (squares[c] - leftSquares[c]) - rest * rest / right;
            }
            const double candidate =
                -(errorRight[alpha] +
                  ((errorRight[green] + (errorLeft + errorRight[red])) + errorRight[blue]));
            if (candidate > box.gain) {
                box.gain = candidate;
                box.split = items[i + 1].entry;
                improved = true;
            }
        }
        if (!improved) {
            box.split = items.size() > 1 ? items[1].entry : nullptr;
        }
        box.gain += box.error;

        for (std::size_t i = items.size(); i-- > 0;) {
            items[i].entry->nextInBox = i + 1 < items.size() ? items[i + 1].entry : nullptr;
        }
        box.entries = items.front().entry;
    }

    void refine(int passes) {
        for (int pass = 0; pass < passes; ++pass) {
            for (Box& box : boxes) {
                box.entries = nullptr;
                box.split = nullptr;
            }
            indexPalette();
            histogram.forEach([this](HistogramEntry& entry) {
                // Cached mappings belong to the palette this pass replaces.
                entry.forgetMapping();
                Box& box = boxes[nearestBox(entry.colour)];
                entry.nextInBox = box.entries;
                box.entries = &entry;
            });
            for (int i = 0; i < boxCount; ++i) {
                computeStatistics(boxes[static_cast<std::size_t>(i)]);
            }
            refined = true;
        }
    }

    void quantize(int colourCount, bool highQuality) {
        if (boxCount == 0) {
            Box& first = boxes[0];
            first.entries = nullptr;
            histogram.forEach([&first](HistogramEntry& entry) {
                entry.nextInBox = first.entries;
                first.entries = &entry;
            });
            computeStatistics(first);
            boxCount = 1;
        }
        const int target = std::min(colourCount, maximumColours);
        while (boxCount < target) {
            double bestGain = 0.0;
            int chosen = 0;
            for (int i = 0; i < boxCount; ++i) {
                if (boxes[static_cast<std::size_t>(i)].gain >= bestGain) {
                    bestGain = boxes[static_cast<std::size_t>(i)].gain;
                    chosen = i;
                }
            }
            Box& old = boxes[static_cast<std::size_t>(chosen)];
            Box& added = boxes[static_cast<std::size_t>(boxCount)];
            // A box that gets no entries keeps these, so it repeats a real palette colour
            // instead of showing whatever an unused slot held.
            added.average = old.average;
            added.direction = old.direction;
            HistogramEntry* before = nullptr;
            HistogramEntry* after = nullptr;
            bool pastSplit = false;
            for (HistogramEntry* entry = old.entries; entry != nullptr;) {
                HistogramEntry* next = entry->nextInBox;
                pastSplit = pastSplit || entry == old.split;
                HistogramEntry*& side = pastSplit ? after : before;
                entry->nextInBox = side;
                side = entry;
                entry = next;
            }
            added.entries = before;
            old.entries = after;
            computeStatistics(old);
            computeStatistics(added);
            ++boxCount;
            if (highQuality) {
                refine(1);
            }
        }
        refined = false;
    }

    // Mapping and read-out always work on a refined palette.
    bool prepareMapping() {
        if (boxCount == 0) {
            return false;
        }
        if (!refined) {
            refine(4);
        }
        indexPalette();
        return true;
    }

    std::uint8_t mapDithered(const std::uint8_t* pixel, int phase) {
        const std::uint32_t key = ColourHistogram::keyOf(pixel);
        HistogramEntry* entry = histogram.find(key);
        const Colour colour = weigh(key);
        Colour scale{};
        if (entry == nullptr || entry->ditherScale[0] < 0.0) {
            // The nearest colour on the far side of the pixel from its own palette colour is the
            // one the dither mixes in; its distance sets how far the phases push.
            const std::uint8_t first = nearestBox(colour);
            const Colour& firstAverage = boxes[first].average;
            Colour probe{};
            for (int c = 0; c < 4; ++c) {
                probe[c] = colour[c] - (firstAverage[c] - colour[c]) / 3.0;
            }
            std::uint8_t second = nearestBox(probe);
            if (second == first) {
                for (int c = 0; c < 4; ++c) {
                    probe[c] = colour[c] - (firstAverage[c] - colour[c]) * 3.0;
                }
                second = nearestBox(probe);
            }
            if (second != first) {
                for (int c = 0; c < 4; ++c) {
                    scale[c] = std::fabs(boxes[second].average[c] - firstAverage[c]) * 0.8;
                }
            }
            if (entry != nullptr) {
                entry->ditherScale = scale;
            }
        } else {
            scale = entry->ditherScale;
        }
        const auto cached =
            entry != nullptr ? entry->ditherIndex[static_cast<std::size_t>(phase)] : -1;
        if (cached >= 0) {
            return static_cast<std::uint8_t>(cached);
        }
        Colour shifted{};
        for (int c = 0; c < 4; ++c) {
            shifted[c] = colour[c] + scale[c] * phaseOffsets[static_cast<std::size_t>(phase)];
        }
        const std::uint8_t index = nearestBox(shifted);
        if (entry != nullptr) {
            entry->ditherIndex[static_cast<std::size_t>(phase)] = index;
        }
        return index;
    }

    // splitmix64: uniform, cheap, and owned by this state alone.
    int randomPhase() {
        randomState += 0x9E3779B97F4A7C15ull;
        std::uint64_t z = randomState;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        z ^= z >> 31;
        return static_cast<int>(z >> 62);
    }
};

namespace {

// Byte count of `pixelCount` RGBA pixels is representable, so the buffers can be walked safely.
bool validPixelCount(std::int64_t pixelCount) {
    return pixelCount >= 0 &&
           static_cast<std::uint64_t>(pixelCount) <= std::numeric_limits<std::size_t>::max() / 4;
}

std::uint8_t readOutChannel(double value, int channelBits) {
    const int truncated = value >= 0.0 ? static_cast<int>(std::min(value, 255.0)) : 0;
    const int halfStep = 0x80 >> channelBits;
    const int mask = 0xFF00 >> channelBits;
    return static_cast<std::uint8_t>(std::min(truncated + halfStep, 255) & mask);
}

} // namespace

ColourQuantizer* quantizerCreate() {
    try {
        return new ColourQuantizer();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void quantizerDestroy(ColourQuantizer* quantizer) {
    delete quantizer;
}

void quantizerDisableAlphaWeighting(ColourQuantizer* quantizer) {
    if (quantizer != nullptr) {
        quantizer->alphaWeighting = false;
    }
}

bool quantizerAddPixels(ColourQuantizer* quantizer, const std::uint8_t* rgba,
                        std::int64_t pixelCount) {
    if (quantizer == nullptr || !validPixelCount(pixelCount)) {
        return false;
    }
    if (pixelCount == 0) {
        return true;
    }
    if (rgba == nullptr) {
        return false;
    }
    try {
        for (std::int64_t i = 0; i < pixelCount; ++i) {
            const std::uint32_t key =
                ColourHistogram::keyOf(rgba + 4 * static_cast<std::size_t>(i));
            bool inserted = false;
            HistogramEntry& entry = quantizer->histogram.add(key, inserted);
            if (inserted) {
                entry.colour = quantizer->weigh(key);
            }
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

void quantizerQuantize(ColourQuantizer* quantizer, int colourCount) {
    if (quantizer != nullptr) {
        quantizer->quantize(colourCount, false);
    }
}

void quantizerQuantizeHighQuality(ColourQuantizer* quantizer, int colourCount) {
    if (quantizer != nullptr) {
        quantizer->quantize(colourCount, true);
    }
}

double quantizerError(const ColourQuantizer* quantizer) {
    if (quantizer == nullptr) {
        return 0.0;
    }
    double error = 0.0;
    std::int64_t count = 0;
    for (int i = 0; i < quantizer->boxCount; ++i) {
        error += quantizer->boxes[static_cast<std::size_t>(i)].error;
        count += quantizer->boxes[static_cast<std::size_t>(i)].count;
    }
    // Without pixels there is no error; rounding can leave an exact palette a hair below zero.
    if (count == 0 || !(error > 0.0)) {
        return 0.0;
    }
    return std::sqrt(error / static_cast<double>(count)) * 256.0;
}

int quantizerGetPalette(ColourQuantizer* quantizer, std::uint8_t* rgbaOut, int colourCount) {
    if (quantizer == nullptr || rgbaOut == nullptr || colourCount < 1 ||
        !quantizer->prepareMapping()) {
        return 0;
    }
    const double scale = static_cast<double>(255.9f);
    const double greenWeight = static_cast<double>(1.2f);
    const double blueWeight = static_cast<double>(0.8f);
    const int count = std::min(colourCount, quantizer->boxCount);
    for (int j = 0; j < count; ++j) {
        Colour colour = quantizer->boxes[static_cast<std::size_t>(j)].average;
        if (quantizer->alphaWeighting && colour[alpha] != 0.0) {
            for (int c = red; c <= blue; ++c) {
                colour[c] /= colour[alpha];
            }
        }
        std::uint8_t* out = rgbaOut + 4 * static_cast<std::size_t>(j);
        out[0] = readOutChannel(colour[red] * scale, quantizer->channelBits);
        out[1] = readOutChannel(colour[green] / greenWeight * scale, quantizer->channelBits);
        out[2] = readOutChannel(colour[blue] / blueWeight * scale, quantizer->channelBits);
        const double a = colour[alpha] * scale;
        out[3] = static_cast<std::uint8_t>(a >= 0.0 ? std::min(a, 255.0) : 0.0);
    }
    return count;
}

bool quantizerSetPalette(ColourQuantizer* quantizer, const std::uint8_t* rgba, int colourCount) {
    if (quantizer == nullptr || rgba == nullptr || colourCount < 1) {
        return false;
    }
    const int count = std::min(colourCount, maximumColours);
    for (int j = 0; j < count; ++j) {
        const std::uint8_t* in = rgba + 4 * static_cast<std::size_t>(j);
        quantizer->boxes[static_cast<std::size_t>(j)].average = {
            static_cast<float>(in[0]) / 255.9f, static_cast<float>(in[1]) * 1.2f / 255.9f,
            static_cast<float>(in[2]) * 0.8f / 255.9f, static_cast<float>(in[3]) / 255.9f};
    }
    quantizer->boxCount = count;
    quantizer->refined = true;
    // Indices cached for an earlier palette would point at the wrong, or no, colours.
    quantizer->histogram.forEach([](HistogramEntry& entry) { entry.forgetMapping(); });
    return true;
}

bool quantizerMapPixels(ColourQuantizer* quantizer, std::int64_t pixelCount,
                        const std::uint8_t* rgba, std::uint8_t* indices) {
    if (quantizer == nullptr || !validPixelCount(pixelCount) ||
        (pixelCount > 0 && (rgba == nullptr || indices == nullptr)) ||
        !quantizer->prepareMapping()) {
        return false;
    }
    for (std::int64_t i = 0; i < pixelCount; ++i) {
        const std::uint32_t key = ColourHistogram::keyOf(rgba + 4 * static_cast<std::size_t>(i));
        HistogramEntry* entry = quantizer->histogram.find(key);
        if (entry != nullptr && entry->paletteIndex != -1) {
            indices[i] = static_cast<std::uint8_t>(entry->paletteIndex);
            continue;
        }
        const std::uint8_t index = quantizer->nearestBox(quantizer->weigh(key));
        indices[i] = index;
        if (entry != nullptr) {
            entry->paletteIndex = index;
        }
    }
    return true;
}

bool quantizerMapPixelsDithered(ColourQuantizer* quantizer, std::int64_t width, std::int64_t height,
                                const std::uint8_t* rgba, std::uint8_t* indices) {
    // The pixel count, and with it every offset below, must fit the address space.
    const bool sizeFits = width >= 0 && height >= 0 &&
                          (width == 0 || static_cast<std::uint64_t>(height) <=
                                             std::numeric_limits<std::size_t>::max() / 4 /
                                                 static_cast<std::uint64_t>(width));
    const bool empty = width == 0 || height == 0;
    if (quantizer == nullptr || !sizeFits || (!empty && (rgba == nullptr || indices == nullptr)) ||
        !quantizer->prepareMapping()) {
        return false;
    }
    const auto rowLength = static_cast<std::size_t>(width);
    for (std::size_t y = 0; y < static_cast<std::size_t>(height); ++y) {
        for (std::size_t x = 0; x < rowLength; ++x) {
            const std::size_t i = y * rowLength + x;
            const int phase = static_cast<int>((x % 2) + 2 * (y % 2));
            indices[i] = quantizer->mapDithered(rgba + 4 * i, phase);
        }
    }
    return true;
}

bool quantizerMapPixelsRandomDither(ColourQuantizer* quantizer, std::int64_t width,
                                    const std::uint8_t* rgba, std::uint8_t* indices) {
    if (quantizer == nullptr || !validPixelCount(width) ||
        (width > 0 && (rgba == nullptr || indices == nullptr)) || !quantizer->prepareMapping()) {
        return false;
    }
    for (std::size_t x = 0; x < static_cast<std::size_t>(width); ++x) {
        indices[x] = quantizer->mapDithered(rgba + 4 * x, quantizer->randomPhase());
    }
    return true;
}

} // namespace orlix
