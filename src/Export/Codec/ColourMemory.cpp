#include "Export/Codec/ColourMemory.h"

#include "Export/Codec/ColorTransform.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace orlix {

namespace {

// Pixels are looked up a run at a time; the colours a run does not find are converted together
// after it, which spares the library's cost of a call for each. A run's offsets fit 16 bits.
constexpr std::size_t runLength = 4096;

// A slot for every 16 pixels, between 4 K and 1 M slots (32 KB to 8 MB): a photo's distinct
// colours are a few per cent of its pixels, and with room for several times as many the colours
// seldom push each other out.
constexpr std::uint64_t pixelsPerSlot = 16;
constexpr int minimumSlotBits = 12;
constexpr int maximumSlotBits = 20;

std::size_t slotOf(std::uint32_t pixel, int shift) {
    return (pixel * 2654435761u) >> shift;
}

} // namespace

ColourMemory::ColourMemory(const ColorTransform& transform, std::uint64_t pixelCount)
    : transform_(transform)
    , samples_(transform.input() == ColorTransform::Input::greyAlpha ? 2 : 1) {
    switch (transform.input()) {
    case ColorTransform::Input::grey:
    case ColorTransform::Input::greyAlpha:
        rememberGreyLevels();
        break;
    case ColorTransform::Input::rgba:
        makeSlots(pixelCount);
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

void ColourMemory::makeSlots(std::uint64_t pixelCount) {
    const int bits = std::clamp(static_cast<int>(std::bit_width(pixelCount / pixelsPerSlot)),
                                minimumSlotBits, maximumSlotBits);
    shift_ = 32 - bits;
    // The slots start out holding the pixel 0 (transparent black), which is only ever looked for
    // in slot 0, since 0 hashes to 0; that slot holds what the library makes of it, so no look-up
    // finds a pixel the library did not convert.
    pixels_.resize(std::size_t{1} << bits);
    converted_.resize(pixels_.size());
    std::uint8_t nothing[4] = {};
    transform_.apply(nothing, nothing, 1);
    std::memcpy(converted_.data(), nothing, 4);
    unknown_.resize(runLength * 3);
    known_.resize(runLength * 3);
    missed_.resize(runLength);
    missedColour_.resize(runLength);
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
    const std::size_t slot = slotOf(word, slots.shift);
    if (slots.pixels[slot] != word) {
        return false;
    }
    std::memcpy(pixel, slots.converted + slot, 4);
    return true;
}

std::uint8_t* ColourMemory::recallUntilMissing(std::uint8_t* pixel, std::uint8_t* end,
                                               Slots slots) {
    // Eight look-ups a turn: the loop's own count and test are then an eighth of what they were.
    constexpr int turn = 8;
    for (; end - pixel >= turn * 4; pixel += turn * 4) {
#pragma GCC unroll 8
        for (int next = 0; next < turn; ++next) {
            if (!recall(pixel + next * 4, slots)) {
                return pixel + next * 4;
            }
        }
    }
    while (pixel != end && recall(pixel, slots)) {
        pixel += 4;
    }
    return pixel;
}

void ColourMemory::convertRun(std::uint8_t* pixels, std::size_t count) {
    std::uint8_t* const end = pixels + count * 4;
    std::uint32_t colourCount = 0;
    std::uint32_t missedCount = 0;
    std::uint32_t lastMissed = 0;
    const Slots slots{pixels_.data(), converted_.data(), shift_};
    for (std::uint8_t* pixel = pixels;; pixel += 4) {
        pixel = recallUntilMissing(pixel, end, slots);
        if (pixel == end) {
            break;
        }
        std::uint32_t word;
        std::memcpy(&word, pixel, 4);
        // A colour missed again at once, as in a flat stretch, is converted once.
        if (colourCount == 0 || word != lastMissed) {
            std::memcpy(unknown_.data() + colourCount * 3, pixel, 3);
            ++colourCount;
            lastMissed = word;
        }
        missed_[missedCount] = static_cast<std::uint16_t>((pixel - pixels) / 4);
        missedColour_[missedCount] = static_cast<std::uint16_t>(colourCount - 1);
        ++missedCount;
    }
    if (missedCount != 0) {
        convertMissed(pixels, colourCount, missedCount);
    }
}

void ColourMemory::convertMissed(std::uint8_t* pixels, std::uint32_t colourCount,
                                 std::uint32_t missedCount) {
    transform_.apply(unknown_.data(), known_.data(), colourCount);
    for (std::uint32_t number = 0; number < missedCount; ++number) {
        std::uint8_t* pixel = pixels + std::size_t{missed_[number]} * 4;
        std::uint32_t word;
        std::memcpy(&word, pixel, 4);
        std::memcpy(pixel, known_.data() + std::size_t{missedColour_[number]} * 3, 3);
        const std::size_t slot = slotOf(word, shift_);
        pixels_[slot] = word;
        std::memcpy(&converted_[slot], pixel, 4);
    }
}

} // namespace orlix
