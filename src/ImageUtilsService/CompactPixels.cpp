#include "ImageUtilsService/CompactPixels.h"

#include "Platform/MemoryPages.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace orlix {

namespace {

// Up to this many colours take indices; more, and the table would cost more than it saves.
constexpr std::uint32_t mostIndexedColours = 1u << 18;
// The table's slots, twice the colours at most, so that lookups stay short.
constexpr std::uint32_t slotBits = 19;

std::uint32_t loadWord(const std::uint8_t* bytes) {
    std::uint32_t word = 0;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

// Indices are packed from the lowest bit of each byte up.
std::uint64_t loadBits(const std::uint8_t* bytes) {
    std::uint64_t value = 0;
    for (int byte = 0; byte < 8; ++byte) {
        value |= std::uint64_t{bytes[byte]} << (8 * byte);
    }
    return value;
}

std::uint32_t slotOf(std::uint32_t colour) {
    return (colour * 2654435761u) >> (32 - slotBits);
}

} // namespace

CompactPixels::CompactPixels(std::vector<std::uint8_t>&& rgba, std::uint32_t width,
                             std::uint32_t height)
    : bytes_(std::move(rgba))
    , width_(width)
    , height_(height) {
    collectColours();
    if (form_ == Form::indices) {
        packIndices();
    } else if (form_ == Form::opaque) {
        dropAlpha();
    }
    const std::size_t kept = keptBytes();
    if (kept < bytes_.size()) {
        MemoryPages::release(bytes_.data() + kept, bytes_.data() + bytes_.size());
    }
}

// Indices are read eight bytes at a time: the last ones need that much room after them.
std::size_t CompactPixels::keptBytes() const {
    const std::size_t count = std::size_t{width_} * height_;
    switch (form_) {
    case Form::indices:
        return (count * static_cast<std::size_t>(indexBits_) + 7) / 8 + sizeof(std::uint64_t);
    case Form::opaque:
        return count * 3;
    case Form::rgba:
        break;
    }
    return count * 4;
}

// Gathers the colours until there are too many for indices, and tells whether every pixel is
// opaque.
void CompactPixels::collectColours() {
    slots_.assign(std::size_t{1} << slotBits, 0);
    bool opaque = true;
    bool fewColours = true;
    const std::size_t count = std::size_t{width_} * height_;
    for (std::size_t pixel = 0; pixel < count && (opaque || fewColours); ++pixel) {
        const std::uint32_t colour = loadWord(bytes_.data() + pixel * 4);
        opaque = opaque && bytes_[pixel * 4 + 3] == 0xFF;
        if (!fewColours || indexOf(colour) != 0) {
            continue;
        }
        if (colours_.size() == mostIndexedColours) {
            fewColours = false;
            continue;
        }
        std::uint32_t slot = slotOf(colour);
        while (slots_[slot] != 0) {
            slot = (slot + 1) & ((1u << slotBits) - 1);
        }
        colours_.push_back(colour);
        slots_[slot] = static_cast<std::uint32_t>(colours_.size());
    }
    if (fewColours) {
        form_ = Form::indices;
        indexBits_ = std::max(1, int(std::bit_width(colours_.size() - 1)));
        return;
    }
    std::vector<std::uint32_t>().swap(colours_);
    std::vector<std::uint32_t>().swap(slots_);
    form_ = opaque ? Form::opaque : Form::rgba;
}

// The colour's position in the table plus one; 0 when it is not there.
std::uint32_t CompactPixels::indexOf(std::uint32_t colour) const {
    for (std::uint32_t slot = slotOf(colour);; slot = (slot + 1) & ((1u << slotBits) - 1)) {
        const std::uint32_t position = slots_[slot];
        if (position == 0 || colours_[position - 1] == colour) {
            return position;
        }
    }
}

// Each pixel is read before the bits that replace it are written, and those never reach past it.
void CompactPixels::packIndices() {
    const std::size_t count = std::size_t{width_} * height_;
    // Only a picture of a few pixels has less room than its indices are read with.
    bytes_.resize(std::max(bytes_.size(), keptBytes()));
    std::uint64_t pending = 0;
    int pendingBits = 0;
    std::uint8_t* out = bytes_.data();
    for (std::size_t pixel = 0; pixel < count; ++pixel) {
        pending |= std::uint64_t{indexOf(loadWord(bytes_.data() + pixel * 4)) - 1} << pendingBits;
        for (pendingBits += indexBits_; pendingBits >= 8; pendingBits -= 8, pending >>= 8) {
            *out++ = static_cast<std::uint8_t>(pending);
        }
    }
    if (pendingBits > 0) {
        *out = static_cast<std::uint8_t>(pending);
    }
    std::vector<std::uint32_t>().swap(slots_);
}

void CompactPixels::dropAlpha() {
    const std::size_t count = std::size_t{width_} * height_;
    for (std::size_t pixel = 0; pixel < count; ++pixel) {
        std::memmove(bytes_.data() + pixel * 3, bytes_.data() + pixel * 4, 3);
    }
}

void CompactPixels::row(std::uint32_t y, std::uint8_t* out) const {
    const std::size_t first = std::size_t{y} * width_;
    switch (form_) {
    case Form::indices: {
        const std::uint64_t mask = (std::uint64_t{1} << indexBits_) - 1;
        for (std::size_t pixel = first; pixel < first + width_; ++pixel, out += 4) {
            const std::size_t bit = pixel * static_cast<std::size_t>(indexBits_);
            const auto index = (loadBits(bytes_.data() + bit / 8) >> (bit % 8)) & mask;
            std::memcpy(out, &colours_[index], 4);
        }
        return;
    }
    case Form::opaque:
        for (std::size_t pixel = first; pixel < first + width_; ++pixel, out += 4) {
            std::memcpy(out, bytes_.data() + pixel * 3, 3);
            out[3] = 0xFF;
        }
        return;
    case Form::rgba:
        break;
    }
    std::memcpy(out, bytes_.data() + first * 4, std::size_t{width_} * 4);
}

} // namespace orlix
