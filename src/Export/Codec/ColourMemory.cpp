#include "Export/Codec/ColourMemory.h"

#include "Export/Codec/ColorTransform.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace orlix {

namespace {

// Pixels are looked up a run at a time; the colours a run does not find are converted together
// after it, which spares the library's cost of a call for each. A run's offsets and colour numbers
// fit 16 bits each.
constexpr std::size_t runLength = 4096;

// 128 K slots (1 MB with what the pixels became): room for several times the colours a photo has
// in any part of it, and no more than a processor's second cache holds. Larger memories saved
// conversions but cost more time in waiting for memory than they saved.
constexpr int slotBits = 17;
constexpr std::size_t slotCount = std::size_t{1} << slotBits;

// The top bits of the pixel times an odd number. This one, the first of MurmurHash3's, spreads a
// photo's colours, which lie close together, better than the golden ratio's: over eight photos,
// 3 to 44 % fewer conversions of colours that had been pushed out.
std::size_t slotOf(std::uint32_t pixel) {
    return (pixel * 0xCC9E2D51u) >> (32 - slotBits);
}

} // namespace

void ColourMemory::FreeSlots::operator()(std::uint32_t* slots) const noexcept {
    std::free(slots);
}

ColourMemory::ColourMemory(const ColorTransform& transform)
    : transform_(transform)
    , samples_(transform.input() == ColorTransform::Input::greyAlpha ? 2 : 1) {
    switch (transform.input()) {
    case ColorTransform::Input::grey:
    case ColorTransform::Input::greyAlpha:
        rememberGreyLevels();
        break;
    case ColorTransform::Input::rgba:
        makeSlots();
        break;
    case ColorTransform::Input::cmyk:
        break;
    }
}

void ColourMemory::rememberGreyLevels() {
    std::vector<std::uint8_t> levels(256 * static_cast<std::size_t>(samples_));
    for (std::size_t level = 0; level < 256; ++level) {
        levels[level * samples_] = static_cast<std::uint8_t>(level);
        levels[level * samples_ + samples_ - 1] = static_cast<std::uint8_t>(level);
    }
    levels_.resize(levels.size());
    transform_.apply(levels.data(), levels_.data(), 256);
}

void ColourMemory::makeSlots() {
    // The slots start out holding the pixel 0 (transparent black), which is only ever looked for
    // in slot 0, since 0 hashes to 0; that slot holds what the library makes of it, so no look-up
    // finds a pixel the library did not convert. The system zeroes the pages as they are first
    // touched.
    slots_.reset(static_cast<std::uint32_t*>(std::calloc(slotCount * 2, sizeof(std::uint32_t))));
    if (slots_ == nullptr) {
        throw std::bad_alloc();
    }
    std::uint8_t nothing[4] = {};
    transform_.apply(nothing, nothing, 1);
    std::memcpy(slots_.get() + slotCount, nothing, 4);
    unknown_.resize(runLength * 3);
    known_.resize(runLength * 3);
    waiting_.resize(runLength);
}

void ColourMemory::convert(std::uint8_t* pixels, std::size_t count) {
    switch (transform_.input()) {
    case ColorTransform::Input::grey:
    case ColorTransform::Input::greyAlpha:
        convertGrey(pixels, count);
        break;
    case ColorTransform::Input::rgba:
        for (std::size_t start = 0; start < count; start += runLength) {
            convertRun(pixels + start * 4, std::min(runLength, count - start));
        }
        break;
    case ColorTransform::Input::cmyk:
        transform_.apply(pixels, pixels, static_cast<std::uint32_t>(count));
        break;
    }
}

void ColourMemory::convertGrey(std::uint8_t* pixels, std::size_t count) const {
    for (std::size_t pixel = 0; pixel < count; ++pixel, pixels += samples_) {
        *pixels = levels_[*pixels * static_cast<std::size_t>(samples_)];
    }
}

bool ColourMemory::recall(std::uint8_t* pixel, Slots slots) {
    std::uint32_t word;
    std::memcpy(&word, pixel, 4);
    const std::size_t slot = slotOf(word);
    if (slots.pixels[slot] != word) {
        return false;
    }
    std::memcpy(pixel, slots.converted + slot, 4);
    return true;
}

void ColourMemory::convertRun(std::uint8_t* pixels, std::size_t count) {
    run_ = Run{pixels};
    const Slots slots{slots_.get(), slots_.get() + slotCount};
    std::uint8_t* pixel = pixels;
    // Eight look-ups a turn: the loop's own count and test are then an eighth of what they were.
    constexpr int turn = 8;
    for (std::size_t turns = count / turn; turns != 0; --turns, pixel += turn * 4) {
#pragma GCC unroll 8
        for (int next = 0; next < turn; ++next) {
            if (!recall(pixel + next * 4, slots)) {
                wait(pixel + next * 4);
            }
        }
    }
    for (std::uint8_t* const end = pixels + count * 4; pixel != end; pixel += 4) {
        if (!recall(pixel, slots)) {
            wait(pixel);
        }
    }
    if (run_.waitingCount != 0) {
        convertMissed();
    }
}

void ColourMemory::wait(std::uint8_t* pixel) {
    std::uint32_t word;
    std::memcpy(&word, pixel, 4);
    // A colour missed again at once, as in a flat stretch, is converted once.
    if (run_.colourCount == 0 || word != run_.lastMissed) {
        std::memcpy(unknown_.data() + run_.colourCount * 3, pixel, 3);
        ++run_.colourCount;
        run_.lastMissed = word;
    }
    waiting_[run_.waitingCount++] =
        static_cast<std::uint32_t>(pixel - run_.start) / 4 | (run_.colourCount - 1) << 16;
}

void ColourMemory::convertMissed() {
    transform_.apply(unknown_.data(), known_.data(), run_.colourCount);
    const std::uint8_t* const known = known_.data();
    std::uint32_t* const slotPixels = slots_.get();
    std::uint32_t* const converted = slots_.get() + slotCount;
    for (std::uint32_t number = 0; number < run_.waitingCount; ++number) {
        const std::uint32_t waiter = waiting_[number];
        std::uint8_t* pixel = run_.start + std::size_t{waiter & 0xFFFF} * 4;
        std::uint32_t word;
        std::memcpy(&word, pixel, 4);
        std::memcpy(pixel, known + std::size_t{waiter >> 16} * 3, 3);
        const std::size_t slot = slotOf(word);
        slotPixels[slot] = word;
        std::memcpy(converted + slot, pixel, 4);
    }
}

} // namespace orlix
