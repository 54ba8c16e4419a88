#include "Export/BitmapResampler.h"

#include "Export/ResamplingAxis.h"
#include "Platform/WorkerThreads.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

namespace orlix {

namespace {

// A buffer larger than this means a request no image needs.
constexpr std::uint64_t maximumBufferBytes = std::uint64_t{1} << 32;
// Filtering along x first keeps every filtered source row; beyond this size the one-row order is
// taken instead, even when it costs more arithmetic, so that a large image never needs a
// float copy of itself.
constexpr std::uint64_t largestAcrossFirstBytes = std::uint64_t{64} << 20;
// Below this many multiply-adds starting threads costs more than it saves.
constexpr std::uint64_t sharedWorkMinimum = std::uint64_t{1} << 21;
// Rows are handed out in a few pieces per thread, so that a thread slowed by other work on the
// machine holds up the others by one piece at most.
constexpr std::uint32_t piecesPerThread = 4;

// Four samples side by side, added and multiplied lane by lane: each lane follows exactly the
// operations of a sum over one sample, so the results equal one sample at a time bit for bit.
using Float4 = float __attribute__((vector_size(16)));
using Int4 = std::int32_t __attribute__((vector_size(16)));
using Shorts8 = std::uint16_t __attribute__((vector_size(16)));
using Bytes16 = std::uint8_t __attribute__((vector_size(16)));

Float4 load(const float* values) {
    Float4 vector;
    std::memcpy(&vector, values, sizeof vector);
    return vector;
}

void store(float* values, Float4 vector) {
    std::memcpy(values, &vector, sizeof vector);
}

// Sixteen samples as four vectors of floats: bytes are widened by interleaving them with zeros,
// which the processor does in a few instructions, and integers convert to floats exactly.
[[gnu::always_inline]] inline void load(const std::uint8_t* samples, Float4 (&vectors)[4]) {
    Bytes16 bytes;
    std::memcpy(&bytes, samples, sizeof bytes);
    const Bytes16 noBytes = {};
    const auto low = std::bit_cast<Shorts8>(__builtin_shufflevector(
        bytes, noBytes, 0, 16, 1, 17, 2, 18, 3, 19, 4, 20, 5, 21, 6, 22, 7, 23));
    const auto high = std::bit_cast<Shorts8>(__builtin_shufflevector(
        bytes, noBytes, 8, 24, 9, 25, 10, 26, 11, 27, 12, 28, 13, 29, 14, 30, 15, 31));
    const Shorts8 noShorts = {};
    const auto widen = [&](Shorts8 shorts, bool upper) {
        return __builtin_convertvector(
            std::bit_cast<Int4>(
                upper ? __builtin_shufflevector(shorts, noShorts, 4, 12, 5, 13, 6, 14, 7, 15)
                      : __builtin_shufflevector(shorts, noShorts, 0, 8, 1, 9, 2, 10, 3, 11)),
            Float4);
    };
    vectors[0] = widen(low, false);
    vectors[1] = widen(low, true);
    vectors[2] = widen(high, false);
    vectors[3] = widen(high, true);
}

[[gnu::always_inline]] inline void load(const float* samples, Float4 (&vectors)[4]) {
    vectors[0] = load(samples);
    vectors[1] = load(samples + 4);
    vectors[2] = load(samples + 8);
    vectors[3] = load(samples + 12);
}

// Adds sixteen weighted samples of a line to their sums; inlined, so that the sums stay in
// registers.
template <typename Sample>
[[gnu::always_inline]] inline void addWeighted(Float4 (&sums)[4], float weight,
                                               const Sample* line) {
    Float4 values[4];
    load(line, values);
    sums[0] += weight * values[0];
    sums[1] += weight * values[1];
    sums[2] += weight * values[2];
    sums[3] += weight * values[3];
}

// A source line as floats, so that a sample read by several canvas pixels is converted once.
void toFloats(const std::uint8_t* line, std::size_t length, float* out) {
    std::size_t s = 0;
    for (; s + 16 <= length; s += 16) {
        Float4 values[4];
        load(line + s, values);
        for (int v = 0; v < 4; ++v) {
            store(out + s + 4 * v, values[v]);
        }
    }
    for (; s < length; ++s) {
        out[s] = static_cast<float>(line[s]);
    }
}

// Filters `rows` lines at once along x into every covered canvas column. The lines start at source
// column `lineStart`, `stride` floats apart, and so do their outputs, `outStride` apart. The lines
// share their taps, so each multiply-add of one feeds as many independent sums.
template <int samples, int rows>
void filterAcross(const float* lines, std::size_t stride, std::uint32_t lineStart,
                  const ResamplingAxis& axis, float* out, std::size_t outStride) {
    for (std::uint32_t i = 0; i < axis.canvasCount(); ++i, out += samples) {
        const ResamplingAxis::Taps& taps = axis.taps(i);
        const float* weights = axis.weights(taps);
        const float* pixel = lines + std::size_t{taps.first - lineStart} * samples;
        if constexpr (samples == 4) {
            Float4 sums[rows] = {};
            for (std::uint32_t k = 0; k < taps.count; ++k, pixel += samples) {
                for (int r = 0; r < rows; ++r) {
                    sums[r] += weights[k] * load(pixel + r * stride);
                }
            }
            for (int r = 0; r < rows; ++r) {
                store(out + r * outStride, sums[r]);
            }
        } else {
            for (int r = 0; r < rows; ++r) {
                float sums[samples] = {};
                for (std::uint32_t k = 0; k < taps.count; ++k) {
                    for (int s = 0; s < samples; ++s) {
                        sums[s] += weights[k] * pixel[r * stride + k * samples + s];
                    }
                }
                std::copy_n(sums, samples, out + r * outStride);
            }
        }
    }
}

// Filters along y by adding up lines, a stretch of the line at a time: the stretch's sums stay in
// the nearest cache while every tap's line is read in one run. Every sample still adds its taps in
// order, from 0.
template <typename Sample, typename LineAt>
void filterDown(const ResamplingAxis& axis, std::uint32_t index, LineAt lineAt, std::size_t length,
                float* out) {
    constexpr std::size_t stretch = 2048;
    const ResamplingAxis::Taps& taps = axis.taps(index);
    const float* weights = axis.weights(taps);
    for (std::size_t start = 0; start < length; start += stretch) {
        const std::size_t end = std::min(length, start + stretch);
        std::fill(out + start, out + end, 0.0f);
        for (std::uint32_t k = 0; k < taps.count; ++k) {
            const Sample* line = lineAt(taps.first + k);
            std::size_t s = start;
            for (; s + 16 <= end; s += 16) {
                Float4 sums[4];
                load(out + s, sums);
                addWeighted(sums, weights[k], line + s);
                for (int v = 0; v < 4; ++v) {
                    store(out + s + 4 * v, sums[v]);
                }
            }
            for (; s < end; ++s) {
                out[s] += weights[k] * static_cast<float>(line[s]);
            }
        }
    }
}

// Rounds to whole samples before coverage is applied, so that float noise in the weights cannot
// tip a half-covered pixel either way.
float whole(float value, float highest) {
    return std::round(std::clamp(value, 0.0f, highest));
}

std::uint8_t toSample(float value) {
    return static_cast<std::uint8_t>(std::min(value, 255.0f) + 0.5f);
}

// Lays filtered values over one canvas row. The clamps undo the overshoot of the kernel's negative
// lobes; with alpha, colour is also held to alpha so that the result stays valid premultiplied.
template <int samples, bool alpha>
void blendLine(const float* values, const ResamplingAxis& across, float rowCoverage,
               std::uint8_t* canvasLine) {
    std::uint8_t* pixel = canvasLine + std::size_t{across.canvasStart()} * samples;
    for (std::uint32_t i = 0; i < across.canvasCount(); ++i, values += samples, pixel += samples) {
        const float coverage = across.coverage(i) * rowCoverage;
        if constexpr (alpha) {
            const float opacity = whole(values[samples - 1], 255.0f);
            const float kept = 1.0f - opacity * coverage / 255.0f;
            for (int s = 0; s < samples - 1; ++s) {
                pixel[s] = toSample(whole(values[s], opacity) * coverage + pixel[s] * kept);
            }
            pixel[samples - 1] = toSample(opacity * coverage + pixel[samples - 1] * kept);
        } else {
            for (int s = 0; s < samples; ++s) {
                pixel[s] =
                    toSample(whole(values[s], 255.0f) * coverage + pixel[s] * (1.0f - coverage));
            }
        }
    }
}

// Runs `work(first, end)` over consecutive ranges of `count` rows, on a few threads when the
// `cost` in multiply-adds is worth it. Each range is done by one thread; they share nothing the
// work writes but its own rows. False when a range ran out of memory.
template <typename Work> bool forRows(std::uint32_t count, std::uint64_t cost, const Work& work) {
    const std::uint32_t pieces =
        cost < sharedWorkMinimum
            ? 1
            : std::min<std::uint32_t>(count, WorkerThreads::maxThreads * piecesPerThread);
    std::atomic<bool> failed{false};
    const auto piece = [&](std::size_t index) {
        const auto first = static_cast<std::uint32_t>(std::uint64_t{count} * index / pieces);
        const auto end = static_cast<std::uint32_t>(std::uint64_t{count} * (index + 1) / pieces);
        try {
            work(first, end);
        } catch (const std::bad_alloc&) {
            failed = true;
        }
    };
    if (pieces == 1) {
        piece(0);
    } else {
        WorkerThreads::forEach(pieces, piece);
    }
    return !failed;
}

// The source columns a draw reads, row by row.
struct SourceColumns {
    const std::uint8_t* first;
    std::size_t stride;

    const std::uint8_t* operator()(std::uint32_t row) const { return first + row * stride; }
};

// Filters source rows along x, four at a time, each into its line of `filtered`, `lineLength`
// floats apart.
template <int samples>
void filterRowsAcross(SourceColumns source, const ResamplingAxis& across, std::uint32_t firstRow,
                      std::uint32_t endRow, float* filtered, std::size_t lineLength) {
    constexpr int together = 4;
    const std::size_t length = std::size_t{across.sourceCount()} * samples;
    std::vector<float> lines(length * together);
    std::uint32_t row = firstRow;
    for (; row + together <= endRow; row += together, filtered += together * lineLength) {
        for (int r = 0; r < together; ++r) {
            toFloats(source(row + r), length, lines.data() + r * length);
        }
        filterAcross<samples, together>(lines.data(), length, across.sourceStart(), across,
                                        filtered, lineLength);
    }
    for (; row < endRow; ++row, filtered += lineLength) {
        toFloats(source(row), length, lines.data());
        filterAcross<samples, 1>(lines.data(), length, across.sourceStart(), across, filtered,
                                 lineLength);
    }
}

// Every source row the draw reads is filtered along x once, then the canvas rows are made of them.
template <int samples, bool alpha>
bool drawAcrossFirst(SourceColumns source, BitmapImageRep& canvas, const ResamplingAxis& across,
                     const ResamplingAxis& down, std::uint64_t cost) {
    const std::size_t lineLength = std::size_t{across.canvasCount()} * samples;
    std::vector<float> filtered(std::size_t{down.sourceCount()} * lineLength);
    const auto filteredRow = [&](std::uint32_t row) {
        return filtered.data() + (row - down.sourceStart()) * lineLength;
    };
    const bool rowsFiltered =
        forRows(down.sourceCount(), cost, [&](std::uint32_t first, std::uint32_t end) {
            filterRowsAcross<samples>(source, across, down.sourceStart() + first,
                                      down.sourceStart() + end,
                                      filteredRow(down.sourceStart() + first), lineLength);
        });
    return rowsFiltered &&
           forRows(down.canvasCount(), std::uint64_t{lineLength} * down.weightCount(),
                   [&](std::uint32_t first, std::uint32_t end) {
                       std::vector<float> line(lineLength);
                       for (std::uint32_t j = first; j < end; ++j) {
                           filterDown<float>(down, j, filteredRow, lineLength, line.data());
                           blendLine<samples, alpha>(line.data(), across, down.coverage(j),
                                                     canvas.row(down.canvasStart() + j));
                       }
                   });
}

// Each canvas row filters the source rows it reads along y, then along x: one row of floats.
template <int samples, bool alpha>
bool drawDownFirst(SourceColumns source, BitmapImageRep& canvas, const ResamplingAxis& across,
                   const ResamplingAxis& down, std::uint64_t cost) {
    const std::size_t lineLength = std::size_t{across.canvasCount()} * samples;
    const std::size_t columnsLength = std::size_t{across.sourceCount()} * samples;
    if (columnsLength * sizeof(float) > maximumBufferBytes) {
        return false;
    }
    return forRows(down.canvasCount(), cost, [&](std::uint32_t first, std::uint32_t end) {
        std::vector<float> columns(columnsLength);
        std::vector<float> line(lineLength);
        for (std::uint32_t j = first; j < end; ++j) {
            filterDown<std::uint8_t>(down, j, source, columnsLength, columns.data());
            filterAcross<samples, 1>(columns.data(), columnsLength, across.sourceStart(), across,
                                     line.data(), lineLength);
            blendLine<samples, alpha>(line.data(), across, down.coverage(j),
                                      canvas.row(down.canvasStart() + j));
        }
    });
}

// The order of the two passes changes the float results, so it follows the arithmetic cost alone,
// never the number of threads or the machine.
template <int samples, bool alpha>
bool drawScaled(const BitmapImageRep& source, BitmapImageRep& canvas, const ResamplingAxis& across,
                const ResamplingAxis& down) {
    const std::uint64_t acrossFirstCost = std::uint64_t{down.sourceCount()} * across.weightCount() +
                                          std::uint64_t{across.canvasCount()} * down.weightCount();
    const std::uint64_t downFirstCost = std::uint64_t{across.sourceCount()} * down.weightCount() +
                                        std::uint64_t{down.canvasCount()} * across.weightCount();
    const std::uint64_t acrossFirstBytes =
        std::uint64_t{down.sourceCount()} * across.canvasCount() * samples * sizeof(float);
    const SourceColumns columns{source.data() + std::size_t{across.sourceStart()} * samples,
                                source.bytesPerRow()};
    if (acrossFirstCost < downFirstCost && acrossFirstBytes <= largestAcrossFirstBytes) {
        return drawAcrossFirst<samples, alpha>(columns, canvas, across, down,
                                               acrossFirstCost * samples);
    }
    return drawDownFirst<samples, alpha>(columns, canvas, across, down, downFirstCost * samples);
}

} // namespace

bool BitmapResampler::draw(const BitmapImageRep& source, BitmapImageRep& canvas, double x, double y,
                           double width, double height) {
    if (source.format() != canvas.format()) {
        return false;
    }
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(width) || !std::isfinite(height) ||
        !std::isfinite(x + width) || !std::isfinite(y + height)) {
        return false;
    }
    if (width <= 0.0 || height <= 0.0) {
        return true;
    }
    try {
        const auto across =
            ResamplingAxis::make(source.pixelsWide(), canvas.pixelsWide(), x, width);
        const auto down = ResamplingAxis::make(source.pixelsHigh(), canvas.pixelsHigh(), y, height);
        if (!across || !down) {
            return false;
        }
        if (across->canvasCount() == 0 || down->canvasCount() == 0) {
            return true;
        }
        switch (source.format()) {
        case CoarseBitmapFormat::rgb:
            return drawScaled<3, false>(source, canvas, *across, *down);
        case CoarseBitmapFormat::rgba:
            return drawScaled<4, true>(source, canvas, *across, *down);
        case CoarseBitmapFormat::grey:
            return drawScaled<1, false>(source, canvas, *across, *down);
        case CoarseBitmapFormat::greya:
            return drawScaled<2, true>(source, canvas, *across, *down);
        }
    } catch (const std::bad_alloc&) {
    }
    return false;
}

} // namespace orlix
