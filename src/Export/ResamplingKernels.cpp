#include "Export/ResamplingKernels.h"

#include "Export/ResamplingAxis.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace orlix {

namespace {

// Vectors of floats are added and multiplied lane by lane: each lane follows exactly the
// operations of a sum over one sample.
using Float4 = float __attribute__((vector_size(16)));
using Float8 = float __attribute__((vector_size(32)));
using Int4 = std::int32_t __attribute__((vector_size(16)));
using Int8 = std::int32_t __attribute__((vector_size(32)));
using Shorts8 = std::uint16_t __attribute__((vector_size(16)));
using Bytes16 = std::uint8_t __attribute__((vector_size(16)));
using Bytes32 = std::uint8_t __attribute__((vector_size(32)));

// Lines are filtered along y a stretch at a time, whose sums stay in the nearest cache while
// every tap's line is read in one run.
constexpr std::size_t stretch = 2048;

template <typename Vector>
[[gnu::always_inline]] inline void load(const float* values, Vector& vector) {
    std::memcpy(&vector, values, sizeof vector);
}

template <typename Vector>
[[gnu::always_inline]] inline void store(float* values, const Vector& vector) {
    std::memcpy(values, &vector, sizeof vector);
}

// Four of eight 16-bit samples, from `from` on, as floats: interleaved with zeros they are 32-bit
// integers, which convert to floats exactly.
template <int from> [[gnu::always_inline]] inline Float4 quarterAsFloats(Shorts8 shorts) {
    const Shorts8 none = {};
    return __builtin_convertvector(
        __builtin_bit_cast(Int4,
                           __builtin_shufflevector(shorts, none, from, from + 8, from + 1, from + 9,
                                                   from + 2, from + 10, from + 3, from + 11)),
        Float4);
}

// Sixteen samples as floats. Bytes are widened by interleaving them with zeros, which even the
// oldest vector instructions do in a few steps.
[[gnu::always_inline]] inline void widen(const std::uint8_t* samples, Float4& first, Float4& second,
                                         Float4& third, Float4& fourth) {
    Bytes16 bytes;
    std::memcpy(&bytes, samples, sizeof bytes);
    const Bytes16 noBytes = {};
    const auto low =
        __builtin_bit_cast(Shorts8, __builtin_shufflevector(bytes, noBytes, 0, 16, 1, 17, 2, 18, 3,
                                                            19, 4, 20, 5, 21, 6, 22, 7, 23));
    const auto high = __builtin_bit_cast(
        Shorts8, __builtin_shufflevector(bytes, noBytes, 8, 24, 9, 25, 10, 26, 11, 27, 12, 28, 13,
                                         29, 14, 30, 15, 31));
    first = quarterAsFloats<0>(low);
    second = quarterAsFloats<4>(low);
    third = quarterAsFloats<0>(high);
    fourth = quarterAsFloats<4>(high);
}

[[gnu::always_inline]] inline void widen(const std::uint8_t* samples, Float8& first,
                                         Float8& second) {
    Bytes16 bytes;
    std::memcpy(&bytes, samples, sizeof bytes);
    const Bytes16 noBytes = {};
    first = __builtin_convertvector(
        __builtin_bit_cast(Int8,
                           __builtin_shufflevector(bytes, noBytes, 0, 16, 16, 16, 1, 16, 16, 16, 2,
                                                   16, 16, 16, 3, 16, 16, 16, 4, 16, 16, 16, 5, 16,
                                                   16, 16, 6, 16, 16, 16, 7, 16, 16, 16)),
        Float8);
    second = __builtin_convertvector(
        __builtin_bit_cast(Int8,
                           __builtin_shufflevector(bytes, noBytes, 8, 16, 16, 16, 9, 16, 16, 16, 10,
                                                   16, 16, 16, 11, 16, 16, 16, 12, 16, 16, 16, 13,
                                                   16, 16, 16, 14, 16, 16, 16, 15, 16, 16, 16)),
        Float8);
}

// Adds a weighted vector of samples to the sums at `sums`.
template <typename Vector>
[[gnu::always_inline]] inline void addWeighted(float* sums, float weight, const Vector& values) {
    Vector sum;
    load(sums, sum);
    sum += weight * values;
    store(sums, sum);
}

// Adds sixteen weighted samples of a line to their sums.
template <typename Vector>
[[gnu::always_inline]] inline void addSixteen(float* sums, float weight, const std::uint8_t* line) {
    if constexpr (sizeof(Vector) == sizeof(Float8)) {
        Float8 first;
        Float8 second;
        widen(line, first, second);
        addWeighted(sums, weight, first);
        addWeighted(sums + 8, weight, second);
    } else {
        Float4 first;
        Float4 second;
        Float4 third;
        Float4 fourth;
        widen(line, first, second, third, fourth);
        addWeighted(sums, weight, first);
        addWeighted(sums + 4, weight, second);
        addWeighted(sums + 8, weight, third);
        addWeighted(sums + 12, weight, fourth);
    }
}

template <typename Vector>
[[gnu::always_inline]] inline void addSixteen(float* sums, float weight, const float* line) {
    constexpr std::size_t lanes = sizeof(Vector) / sizeof(float);
    for (std::size_t at = 0; at < 16; at += lanes) {
        Vector values;
        load(line + at, values);
        addWeighted(sums + at, weight, values);
    }
}

template <typename Vector, typename Sample>
[[gnu::always_inline]] inline void filterDownWith(const Sample* firstLine, std::size_t stride,
                                                  std::uint32_t count, const float* weights,
                                                  std::size_t length, float* out) {
    for (std::size_t start = 0; start < length; start += stretch) {
        const std::size_t end = std::min(length, start + stretch);
        std::fill(out + start, out + end, 0.0f);
        for (std::uint32_t k = 0; k < count; ++k) {
            const Sample* line = firstLine + k * stride;
            const float weight = weights[k];
            std::size_t s = start;
            for (; s + 16 <= end; s += 16) {
                addSixteen<Vector>(out + s, weight, line + s);
            }
            for (; s < end; ++s) {
                out[s] += weight * static_cast<float>(line[s]);
            }
        }
    }
}

// Four interleaved lines of four samples: sixteen floats a source pixel, each line's sums in
// lanes of their own.
template <typename Vector>
[[gnu::always_inline]] inline void filterFourLinesWith(const float* lines, std::uint32_t lineStart,
                                                       const ResamplingAxis& axis, float* out,
                                                       std::size_t outStride) {
    for (std::uint32_t i = 0; i < axis.canvasCount(); ++i, out += 4) {
        const ResamplingAxis::Taps& taps = axis.taps(i);
        const float* weights = axis.weights(taps);
        const float* pixel = lines + std::size_t{taps.first - lineStart} * 16;
        float results[16] = {};
        if constexpr (sizeof(Vector) == sizeof(Float8)) {
            Float8 first = {};
            Float8 second = {};
            for (std::uint32_t k = 0; k < taps.count; ++k, pixel += 16) {
                Float8 values;
                load(pixel, values);
                first += weights[k] * values;
                load(pixel + 8, values);
                second += weights[k] * values;
            }
            store(results, first);
            store(results + 8, second);
        } else {
            Float4 sums[4] = {};
            for (std::uint32_t k = 0; k < taps.count; ++k, pixel += 16) {
                for (int r = 0; r < 4; ++r) {
                    Float4 values;
                    load(pixel + 4 * r, values);
                    sums[r] += weights[k] * values;
                }
            }
            std::memcpy(results, sums, sizeof results);
        }
        for (int r = 0; r < 4; ++r) {
            std::copy_n(results + 4 * r, 4, out + r * outStride);
        }
    }
}

void filterOneLineOfFour(const float* line, std::uint32_t lineStart, const ResamplingAxis& axis,
                         float* out) {
    for (std::uint32_t i = 0; i < axis.canvasCount(); ++i, out += 4) {
        const ResamplingAxis::Taps& taps = axis.taps(i);
        const float* weights = axis.weights(taps);
        const float* pixel = line + std::size_t{taps.first - lineStart} * 4;
        Float4 sum = {};
        for (std::uint32_t k = 0; k < taps.count; ++k, pixel += 4) {
            Float4 values;
            load(pixel, values);
            sum += weights[k] * values;
        }
        store(out, sum);
    }
}

void filterLinesOneByOne(const float* lines, int rows, int samples, std::uint32_t lineStart,
                         const ResamplingAxis& axis, float* out, std::size_t outStride) {
    for (std::uint32_t i = 0; i < axis.canvasCount(); ++i, out += samples) {
        const ResamplingAxis::Taps& taps = axis.taps(i);
        const float* weights = axis.weights(taps);
        const float* first = lines + std::size_t{taps.first - lineStart} * rows * samples;
        for (int r = 0; r < rows; ++r) {
            for (int s = 0; s < samples; ++s) {
                float sum = 0.0f;
                for (std::uint32_t k = 0; k < taps.count; ++k) {
                    sum += weights[k] * first[(std::size_t{k} * rows + r) * samples + s];
                }
                out[r * outStride + s] = sum;
            }
        }
    }
}

#if defined(__x86_64__) || defined(__i386__)
// ORLIX_NARROW_VECTORS keeps the four-sample kernels on a processor that has the wider ones, so
// that both paths can be held to the same bytes on one machine.
bool hasWideVectors() {
    static const bool wide =
        __builtin_cpu_supports("avx2") && std::getenv("ORLIX_NARROW_VECTORS") == nullptr;
    return wide;
}

template <typename Sample>
__attribute__((target("avx2"))) void filterDownWide(const Sample* firstLine, std::size_t stride,
                                                    std::uint32_t count, const float* weights,
                                                    std::size_t length, float* out) {
    filterDownWith<Float8>(firstLine, stride, count, weights, length, out);
}

__attribute__((target("avx2"))) void filterFourLinesWide(const float* lines,
                                                         std::uint32_t lineStart,
                                                         const ResamplingAxis& axis, float* out,
                                                         std::size_t outStride) {
    filterFourLinesWith<Float8>(lines, lineStart, axis, out, outStride);
}
#endif

template <typename Sample>
void filterDownEither(const Sample* firstLine, std::size_t stride, std::uint32_t count,
                      const float* weights, std::size_t length, float* out) {
#if defined(__x86_64__) || defined(__i386__)
    if (hasWideVectors()) {
        filterDownWide(firstLine, stride, count, weights, length, out);
        return;
    }
#endif
    filterDownWith<Float4>(firstLine, stride, count, weights, length, out);
}

} // namespace

void ResamplingKernels::toFloats(const std::uint8_t* const* lines, int rows, int samples,
                                 std::size_t pixels, float* out) {
    for (int r = 0; r < rows; ++r) {
        const std::uint8_t* line = lines[r];
        std::size_t x = 0;
        if (samples == 4) {
            for (; x + 4 <= pixels; x += 4) {
                Float4 first;
                Float4 second;
                Float4 third;
                Float4 fourth;
                widen(line + x * 4, first, second, third, fourth);
                store(out + (x * rows + r) * 4, first);
                store(out + ((x + 1) * rows + r) * 4, second);
                store(out + ((x + 2) * rows + r) * 4, third);
                store(out + ((x + 3) * rows + r) * 4, fourth);
            }
        }
        for (; x < pixels; ++x) {
            for (int s = 0; s < samples; ++s) {
                out[(x * rows + r) * samples + s] = static_cast<float>(line[x * samples + s]);
            }
        }
    }
}

void ResamplingKernels::filterAcross(const float* lines, int rows, int samples,
                                     std::uint32_t lineStart, const ResamplingAxis& axis,
                                     float* out, std::size_t outStride) {
    if (samples == 4 && rows == 4) {
#if defined(__x86_64__) || defined(__i386__)
        if (hasWideVectors()) {
            filterFourLinesWide(lines, lineStart, axis, out, outStride);
            return;
        }
#endif
        filterFourLinesWith<Float4>(lines, lineStart, axis, out, outStride);
    } else if (samples == 4 && rows == 1) {
        filterOneLineOfFour(lines, lineStart, axis, out);
    } else {
        filterLinesOneByOne(lines, rows, samples, lineStart, axis, out, outStride);
    }
}

void ResamplingKernels::filterDown(const std::uint8_t* firstLine, std::size_t stride,
                                   std::uint32_t count, const float* weights, std::size_t length,
                                   float* out) {
    filterDownEither(firstLine, stride, count, weights, length, out);
}

void ResamplingKernels::filterDown(const float* firstLine, std::size_t stride, std::uint32_t count,
                                   const float* weights, std::size_t length, float* out) {
    filterDownEither(firstLine, stride, count, weights, length, out);
}

} // namespace orlix
