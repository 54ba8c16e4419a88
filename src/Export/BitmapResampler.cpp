#include "Export/BitmapResampler.h"

#include "Export/ResamplingAxis.h"

#include <algorithm>
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

// Filters one line along x into every covered canvas column. `line` starts at source column
// `lineStart`.
template <int samples, typename Sample>
void filterAcross(const Sample* line, std::uint32_t lineStart, const ResamplingAxis& axis,
                  float* out) {
    for (std::uint32_t i = 0; i < axis.canvasCount(); ++i, out += samples) {
        const ResamplingAxis::Taps& taps = axis.taps(i);
        const float* weights = axis.weights(taps);
        const Sample* pixel = line + std::size_t{taps.first - lineStart} * samples;
        float sums[samples] = {};
        for (std::uint32_t k = 0; k < taps.count; ++k, pixel += samples) {
            for (int s = 0; s < samples; ++s) {
                sums[s] += weights[k] * static_cast<float>(pixel[s]);
            }
        }
        std::copy_n(sums, samples, out);
    }
}

// Filters along y by adding up whole lines, which keeps the inner loop long and contiguous.
template <typename Sample, typename LineAt>
void filterDown(const ResamplingAxis& axis, std::uint32_t index, LineAt lineAt, std::size_t length,
                float* out) {
    const ResamplingAxis::Taps& taps = axis.taps(index);
    const float* weights = axis.weights(taps);
    std::fill_n(out, length, 0.0f);
    for (std::uint32_t k = 0; k < taps.count; ++k) {
        const Sample* line = lineAt(taps.first + k);
        const float weight = weights[k];
        for (std::size_t s = 0; s < length; ++s) {
            out[s] += weight * static_cast<float>(line[s]);
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

template <int samples, bool alpha>
bool drawScaled(const BitmapImageRep& source, BitmapImageRep& canvas, const ResamplingAxis& across,
                const ResamplingAxis& down) {
    const std::size_t lineLength = std::size_t{across.canvasCount()} * samples;
    const std::uint64_t acrossFirstCost = std::uint64_t{down.sourceCount()} * across.weightCount() +
                                          std::uint64_t{across.canvasCount()} * down.weightCount();
    const std::uint64_t downFirstCost = std::uint64_t{across.sourceCount()} * down.weightCount() +
                                        std::uint64_t{down.canvasCount()} * across.weightCount();
    const std::uint64_t acrossFirstBytes =
        std::uint64_t{down.sourceCount()} * lineLength * sizeof(float);
    std::vector<float> line(lineLength);

    if (acrossFirstCost < downFirstCost && acrossFirstBytes <= largestAcrossFirstBytes) {
        // Every source row the draw reads, filtered along x once.
        std::vector<float> filtered(std::size_t{down.sourceCount()} * lineLength);
        for (std::uint32_t row = 0; row < down.sourceCount(); ++row) {
            filterAcross<samples>(source.row(down.sourceStart() + row), 0, across,
                                  filtered.data() + row * lineLength);
        }
        const auto filteredRow = [&](std::uint32_t row) {
            return filtered.data() + (row - down.sourceStart()) * lineLength;
        };
        for (std::uint32_t j = 0; j < down.canvasCount(); ++j) {
            filterDown<float>(down, j, filteredRow, lineLength, line.data());
            blendLine<samples, alpha>(line.data(), across, down.coverage(j),
                                      canvas.row(down.canvasStart() + j));
        }
        return true;
    }

    // Filtering along y first needs only one row of the source columns the draw reads.
    const std::size_t columnsLength = std::size_t{across.sourceCount()} * samples;
    if (columnsLength * sizeof(float) > maximumBufferBytes) {
        return false;
    }
    std::vector<float> columns(columnsLength);
    const auto sourceRow = [&](std::uint32_t row) {
        return source.row(row) + std::size_t{across.sourceStart()} * samples;
    };
    for (std::uint32_t j = 0; j < down.canvasCount(); ++j) {
        filterDown<std::uint8_t>(down, j, sourceRow, columnsLength, columns.data());
        filterAcross<samples>(columns.data(), across.sourceStart(), across, line.data());
        blendLine<samples, alpha>(line.data(), across, down.coverage(j),
                                  canvas.row(down.canvasStart() + j));
    }
    return true;
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
