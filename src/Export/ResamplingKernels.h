#pragma once

#include <cstddef>
#include <cstdint>

namespace orlix {

class ResamplingAxis;

// The inner loops of a scaled draw, on several samples at once with the processor's vector
// instructions (the widest it has of two kinds). Each sample still adds its taps one by one, in
// order, from 0, so every result is the one a loop over single samples gives, bit for bit.
class ResamplingKernels {
public:
    // Converts `rows` (1 or 4) lines of `pixels` pixels of `samples` bytes to floats, interleaved
    // pixel by pixel: pixel x of line r lands at (x * rows + r) * samples.
    static void toFloats(const std::uint8_t* const* lines, int rows, int samples,
                         std::size_t pixels, float* out);

    // Filters `rows` interleaved lines along x into every canvas pixel of the axis; `lines` holds
    // source pixels from `lineStart` on, and line r's results go to out + r * outStride.
    static void filterAcross(const float* lines, int rows, int samples, std::uint32_t lineStart,
                             const ResamplingAxis& axis, float* out, std::size_t outStride);

    // Filters `count` lines, `stride` apart from `firstLine` on, with their weights, into `length`
    // samples of `out`.
    static void filterDown(const std::uint8_t* firstLine, std::size_t stride, std::uint32_t count,
                           const float* weights, std::size_t length, float* out);
    static void filterDown(const float* firstLine, std::size_t stride, std::uint32_t count,
                           const float* weights, std::size_t length, float* out);
};

} // namespace orlix
