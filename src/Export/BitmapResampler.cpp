#include "Export/BitmapResampler.h"

#include "Export/ResamplingAxis.h"
#include "Export/ResamplingKernels.h"
#include "Platform/WorkerThreads.h"

#include <algorithm>
#include <atomic>
#include <cmath>
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
    const std::size_t pixels = across.sourceCount();
    std::vector<float> lines(pixels * samples * together);
    for (std::uint32_t row = firstRow; row < endRow;) {
        const int rows = endRow - row >= together ? together : 1;
        const std::uint8_t* sourceLines[together];
        for (int r = 0; r < rows; ++r) {
            sourceLines[r] = source(row + r);
        }
        ResamplingKernels::toFloats(sourceLines, rows, samples, pixels, lines.data());
        ResamplingKernels::filterAcross(lines.data(), rows, samples, across.sourceStart(), across,
                                        filtered + (row - firstRow) * lineLength, lineLength);
        row += rows;
    }
}

// Filters canvas row `index` along y from `lines`, which hold source rows from `firstRow` on,
// `stride` apart.
template <typename Sample>
void filterDown(const ResamplingAxis& down, std::uint32_t index, const Sample* lines,
                std::uint32_t firstRow, std::size_t stride, std::size_t length, float* out) {
    const ResamplingAxis::Taps& taps = down.taps(index);
    ResamplingKernels::filterDown(lines + (taps.first - firstRow) * stride, stride, taps.count,
                                  down.weights(taps), length, out);
}

// Every source row the draw reads is filtered along x once, then the canvas rows are made of them.
template <int samples, bool alpha>
bool drawAcrossFirst(SourceColumns source, BitmapImageRep& canvas, const ResamplingAxis& across,
                     const ResamplingAxis& down, std::uint64_t cost) {
    const std::size_t lineLength = std::size_t{across.canvasCount()} * samples;
    std::vector<float> filtered(std::size_t{down.sourceCount()} * lineLength);
    const bool rowsFiltered =
        forRows(down.sourceCount(), cost, [&](std::uint32_t first, std::uint32_t end) {
            filterRowsAcross<samples>(source, across, down.sourceStart() + first,
                                      down.sourceStart() + end,
                                      filtered.data() + first * lineLength, lineLength);
        });
    return rowsFiltered &&
           forRows(down.canvasCount(), std::uint64_t{lineLength} * down.weightCount(),
                   [&](std::uint32_t first, std::uint32_t end) {
                       std::vector<float> line(lineLength);
                       for (std::uint32_t j = first; j < end; ++j) {
                           filterDown(down, j, filtered.data(), down.sourceStart(), lineLength,
                                      lineLength, line.data());
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
            filterDown(down, j, source.first, 0, source.stride, columnsLength, columns.data());
            ResamplingKernels::filterAcross(columns.data(), 1, samples, across.sourceStart(),
                                            across, line.data(), lineLength);
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
