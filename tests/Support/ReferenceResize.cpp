#include "Support/ReferenceResize.h"

#include "Export/BitmapResize.h"
#include "Export/ResamplingAxis.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace orlix::testing {

namespace {

// Filtering along x first keeps a float copy of every source row the draw reads, which is taken
// only when it costs fewer multiply-adds and stays below 64 MiB.
bool filtersAcrossFirst(const ResamplingAxis& across, const ResamplingAxis& down, int samples) {
    const std::uint64_t acrossFirst = std::uint64_t{down.sourceCount()} * across.weightCount() +
                                      std::uint64_t{across.canvasCount()} * down.weightCount();
    const std::uint64_t downFirst = std::uint64_t{across.sourceCount()} * down.weightCount() +
                                    std::uint64_t{down.canvasCount()} * across.weightCount();
    const std::uint64_t bytes = std::uint64_t{down.sourceCount()} * across.canvasCount() *
                                std::uint64_t(samples) * sizeof(float);
    return acrossFirst < downFirst && bytes <= (std::uint64_t{64} << 20);
}

// One weighted sum, from 0 and in tap order.
template <typename ValueAt>
float weighted(const ResamplingAxis& axis, std::uint32_t index, ValueAt valueAt) {
    const ResamplingAxis::Taps& taps = axis.taps(index);
    float sum = 0.0f;
    for (std::uint32_t k = 0; k < taps.count; ++k) {
        sum += axis.weights(taps)[k] * valueAt(taps.first + k);
    }
    return sum;
}

// The filtered value of every canvas sample the draw touches, indexed [j][i][s] from the axes'
// canvas starts: one axis filtered into a table, then the table along the other.
std::vector<float> filtered(const BitmapImageRep& source, const ResamplingAxis& across,
                            const ResamplingAxis& down) {
    const int samples = source.samplesPerPixel();
    const auto sample = [&](std::uint32_t x, std::uint32_t y, int s) {
        return static_cast<float>(source.row(y)[std::size_t{x} * samples + s]);
    };
    std::vector<float> values(std::size_t{down.canvasCount()} * across.canvasCount() * samples);
    std::size_t next = 0;
    if (filtersAcrossFirst(across, down, samples)) {
        // rows[y][i][s]: every source row the draw reads, filtered along x.
        const std::size_t rowLength = std::size_t{across.canvasCount()} * samples;
        std::vector<float> rows(std::size_t{down.sourceCount()} * rowLength);
        for (std::uint32_t y = 0; y < down.sourceCount(); ++y) {
            for (std::uint32_t i = 0; i < across.canvasCount(); ++i) {
                for (int s = 0; s < samples; ++s) {
                    rows[y * rowLength + i * samples + s] =
                        weighted(across, i, [&](std::uint32_t x) {
                            return sample(x, down.sourceStart() + y, s);
                        });
                }
            }
        }
        for (std::uint32_t j = 0; j < down.canvasCount(); ++j) {
            for (std::uint32_t i = 0; i < across.canvasCount(); ++i) {
                for (int s = 0; s < samples; ++s) {
                    values[next++] = weighted(down, j, [&](std::uint32_t y) {
                        return rows[(y - down.sourceStart()) * rowLength + i * samples + s];
                    });
                }
            }
        }
        return values;
    }
    // columns[j][x][s]: every source column the draw reads, filtered along y.
    const std::size_t columnsLength = std::size_t{across.sourceCount()} * samples;
    std::vector<float> columns(std::size_t{down.canvasCount()} * columnsLength);
    for (std::uint32_t j = 0; j < down.canvasCount(); ++j) {
        for (std::uint32_t x = 0; x < across.sourceCount(); ++x) {
            for (int s = 0; s < samples; ++s) {
                columns[j * columnsLength + x * samples + s] =
                    weighted(down, j, [&](std::uint32_t y) {
                        return sample(across.sourceStart() + x, y, s);
                    });
            }
        }
    }
    for (std::uint32_t j = 0; j < down.canvasCount(); ++j) {
        for (std::uint32_t i = 0; i < across.canvasCount(); ++i) {
            for (int s = 0; s < samples; ++s) {
                values[next++] = weighted(across, i, [&](std::uint32_t x) {
                    return columns[j * columnsLength + (x - across.sourceStart()) * samples + s];
                });
            }
        }
    }
    return values;
}

std::uint8_t toSample(float value) {
    return static_cast<std::uint8_t>(std::min(value, 255.0f) + 0.5f);
}

float whole(float value, float highest) {
    return std::round(std::clamp(value, 0.0f, highest));
}

// Lays one filtered pixel over a canvas pixel with the share of it the rectangle covers; colour is
// held to alpha, and the drawing goes over what the canvas held.
void blend(const float* value, float coverage, int samples, bool alpha, std::uint8_t* pixel) {
    if (!alpha) {
        for (int s = 0; s < samples; ++s) {
            pixel[s] = toSample(whole(value[s], 255.0f) * coverage + pixel[s] * (1.0f - coverage));
        }
        return;
    }
    const float opacity = whole(value[samples - 1], 255.0f);
    const float kept = 1.0f - opacity * coverage / 255.0f;
    for (int s = 0; s < samples - 1; ++s) {
        pixel[s] = toSample(whole(value[s], opacity) * coverage + pixel[s] * kept);
    }
    pixel[samples - 1] = toSample(opacity * coverage + pixel[samples - 1] * kept);
}

double origin(std::uint32_t canvas, std::uint32_t draw) {
    return canvas == draw ? 0.0 : double(canvas / 2) - double(draw) * 0.5;
}

} // namespace

bool ReferenceResize::draw(const BitmapImageRep& source, BitmapImageRep& canvas, double x, double y,
                           double width, double height) {
    const auto across = ResamplingAxis::make(source.pixelsWide(), canvas.pixelsWide(), x, width);
    const auto down = ResamplingAxis::make(source.pixelsHigh(), canvas.pixelsHigh(), y, height);
    if (!across || !down) {
        return false;
    }
    const int samples = source.samplesPerPixel();
    const std::vector<float> values = filtered(source, *across, *down);
    for (std::uint32_t j = 0; j < down->canvasCount(); ++j) {
        for (std::uint32_t i = 0; i < across->canvasCount(); ++i) {
            const std::size_t index = (std::size_t{j} * across->canvasCount() + i) * samples;
            std::uint8_t* pixel = canvas.row(down->canvasStart() + j) +
                                  std::size_t{across->canvasStart() + i} * samples;
            blend(&values[index], across->coverage(i) * down->coverage(j), samples,
                  source.hasAlpha(), pixel);
        }
    }
    return true;
}

std::shared_ptr<BitmapImageRep> ReferenceResize::resized(const BitmapImageRep& source,
                                                         const ResizeConfig& resize,
                                                         std::optional<double> multiplier) {
    const auto sizes =
        BitmapResize::geometry({source.pixelsWide(), source.pixelsHigh()}, resize, multiplier);
    if (!sizes) {
        return nullptr;
    }
    auto canvas = BitmapImageRep::make(sizes->canvas.width, sizes->canvas.height, source.info());
    // The canvas's top edge is where a bottom-up coordinate system puts the bottom of the drawing.
    const double x = origin(sizes->canvas.width, sizes->draw.width);
    const double bottom = origin(sizes->canvas.height, sizes->draw.height);
    const double y = double(sizes->canvas.height) - bottom - double(sizes->draw.height);
    if (!canvas || !draw(source, *canvas, x, y, sizes->draw.width, sizes->draw.height)) {
        return nullptr;
    }
    return canvas;
}

} // namespace orlix::testing
