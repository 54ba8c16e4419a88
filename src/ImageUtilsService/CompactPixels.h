#pragma once

#include <cstdint>
#include <vector>

namespace orlix {

// The RGBA pixels of a quantise request kept in the least memory that gives every row back
// exactly: as indices of as few bits as their colours need, into a table of those colours, when
// they have few; as three bytes a pixel when they are opaque; else as they came. The request's own
// memory is rewritten in place, and what it no longer needs goes back to the system, so that the
// quantiser's own maps of the picture fit beside it.
class CompactPixels {
public:
    // Takes `rgba`, width × height × 4 bytes.
    CompactPixels(std::vector<std::uint8_t>&& rgba, std::uint32_t width, std::uint32_t height);

    // Row `y` as RGBA, `width` × 4 bytes into `out`. Callable from several threads at once.
    void row(std::uint32_t y, std::uint8_t* out) const;

    // The bytes of the request's memory the kept form uses.
    std::size_t keptBytes() const;

private:
    enum class Form { indices, opaque, rgba };

    void collectColours();
    void packIndices();
    void dropAlpha();
    std::uint32_t indexOf(std::uint32_t colour) const;

    std::vector<std::uint8_t> bytes_;
    std::uint32_t width_;
    std::uint32_t height_;
    Form form_ = Form::rgba;
    // The colours as RGBA words, and a hash table of their positions plus one (0: empty).
    std::vector<std::uint32_t> colours_;
    std::vector<std::uint32_t> slots_;
    int indexBits_ = 0;
};

} // namespace orlix
