#include "Export/ResamplingAxis.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace orlix {

namespace {

constexpr double lobes = 3.0;

// More weights than this (4 GiB of floats) means a request no image needs.
constexpr std::uint64_t maximumWeightCount = (std::uint64_t{1} << 32) / sizeof(float);

// Below this a weight changes no 8-bit result; dropping it lets whole-pixel positions copy exactly
// instead of mixing in the rounding noise sin() leaves at the kernel's zeros.
constexpr double negligibleWeight = 1e-7;

double lanczos(double t) {
    t = std::fabs(t);
    if (t == 0.0) {
        return 1.0;
    }
    if (t >= lobes) {
        return 0.0;
    }
    const double pt = std::numbers::pi * t;
    return lobes * std::sin(pt) * std::sin(pt / lobes) / (pt * pt);
}

} // namespace

std::optional<ResamplingAxis> ResamplingAxis::make(std::uint32_t sourceLength,
                                                   std::uint32_t canvasLength, double origin,
                                                   double length) {
    ResamplingAxis axis;
    const double end = origin + length;
    const double left = std::max(origin, 0.0);
    const double right = std::min(end, static_cast<double>(canvasLength));
    if (!(right > left)) {
        return axis;
    }
    const auto first = static_cast<std::uint32_t>(std::floor(left));
    const auto last = static_cast<std::uint32_t>(std::ceil(right));

    const double ratio = sourceLength / length;
    // A span narrower than a pixel is averaged into one pixel already; a wider kernel would only
    // give the extended edges more weight, at a cost without bound.
    const double scale = std::max(1.0, sourceLength / std::max(length, 1.0));
    const double support = lobes * scale;
    const auto window = static_cast<std::uint64_t>(std::ceil(2.0 * support)) + 3;
    if (std::uint64_t{last - first} * std::min<std::uint64_t>(window, sourceLength) >
        maximumWeightCount) {
        return std::nullopt;
    }

    axis.canvasStart_ = first;
    axis.taps_.reserve(last - first);
    axis.coverage_.reserve(last - first);
    std::vector<double> merged;
    const auto lastSource = static_cast<std::int64_t>(sourceLength) - 1;
    std::uint32_t lowest = sourceLength;
    std::uint32_t highest = 0;
    for (std::uint32_t i = first; i < last; ++i) {
        const double cover = std::min(i + 1.0, end) - std::max(static_cast<double>(i), origin);
        axis.coverage_.push_back(static_cast<float>(std::clamp(cover, 0.0, 1.0)));

        // Beyond one support outside the source every tap lands on the edge pixel anyway.
        // A span too thin for a finite ratio gives NaN here; it lands on an edge like any far-off
        // u.
        double u = (i + 0.5 - origin) * ratio;
        u = u < sourceLength + support ? std::max(u, -support) : sourceLength + support;
        const auto from = static_cast<std::int64_t>(std::floor(u - support - 0.5));
        const auto to = static_cast<std::int64_t>(std::ceil(u + support - 0.5));
        const std::int64_t mergedFrom = std::clamp<std::int64_t>(from, 0, lastSource);
        const std::int64_t mergedTo = std::clamp<std::int64_t>(to, 0, lastSource);
        merged.assign(static_cast<std::size_t>(mergedTo - mergedFrom + 1), 0.0);
        double sum = 0.0;
        for (std::int64_t j = from; j <= to; ++j) {
            const double weight = lanczos((j + 0.5 - u) / scale) / scale;
            if (std::fabs(weight) < negligibleWeight) {
                continue;
            }
            // Pixels past the edge repeat the edge pixel.
            merged[static_cast<std::size_t>(std::clamp<std::int64_t>(j, 0, lastSource) -
                                            mergedFrom)] += weight;
            sum += weight;
        }
        std::size_t begin = 0;
        std::size_t stop = merged.size();
        while (begin + 1 < stop && merged[begin] == 0.0) {
            ++begin;
        }
        while (stop - 1 > begin && merged[stop - 1] == 0.0) {
            --stop;
        }
        const Taps taps{static_cast<std::uint32_t>(mergedFrom + static_cast<std::int64_t>(begin)),
                        static_cast<std::uint32_t>(stop - begin), axis.weights_.size()};
        for (std::size_t k = begin; k < stop; ++k) {
            axis.weights_.push_back(static_cast<float>(sum != 0.0 ? merged[k] / sum : 0.0));
        }
        axis.taps_.push_back(taps);
        lowest = std::min(lowest, taps.first);
        highest = std::max(highest, taps.first + taps.count - 1);
    }
    axis.sourceStart_ = lowest;
    axis.sourceCount_ = highest - lowest + 1;
    return axis;
}

} // namespace orlix
