#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace orlix {

// The filter weights and edge coverage of one axis of a scaled draw, worked out once so that the
// pixel loops only multiply and add.
class ResamplingAxis {
public:
    // The source pixels one canvas pixel is made of: `count` neighbours from `first` on, their
    // weights at `offset` in the weight table.
    struct Taps {
        std::uint32_t first;
        std::uint32_t count;
        std::size_t offset;
    };

    // The axis of a draw of `sourceLength` pixels onto the span (origin, origin + length) of a
    // canvas `canvasLength` pixels long. Absent when the weight table would be absurdly large;
    // may throw std::bad_alloc. Expects finite values and positive lengths.
    static std::optional<ResamplingAxis>
    make(std::uint32_t sourceLength, std::uint32_t canvasLength, double origin, double length);

    // The canvas pixels the span touches, from canvasStart() on.
    std::uint32_t canvasStart() const { return canvasStart_; }
    std::uint32_t canvasCount() const { return static_cast<std::uint32_t>(taps_.size()); }

    // The source pixels any canvas pixel reads, from sourceStart() on.
    std::uint32_t sourceStart() const { return sourceStart_; }
    std::uint32_t sourceCount() const { return sourceCount_; }

    // Indexed from canvasStart().
    const Taps& taps(std::uint32_t index) const { return taps_[index]; }
    const float* weights(const Taps& taps) const { return weights_.data() + taps.offset; }
    // The share of the canvas pixel the span covers, 1 inside it.
    float coverage(std::uint32_t index) const { return coverage_[index]; }

    // Multiply-adds one line of this axis costs per sample.
    std::uint64_t weightCount() const { return weights_.size(); }

private:
    ResamplingAxis() = default;

    std::uint32_t canvasStart_ = 0;
    std::uint32_t sourceStart_ = 0;
    std::uint32_t sourceCount_ = 0;
    std::vector<Taps> taps_;
    std::vector<float> weights_;
    std::vector<float> coverage_;
};

} // namespace orlix
