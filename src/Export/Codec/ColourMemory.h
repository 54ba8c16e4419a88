#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orlix {

class ColorTransform;

// What a profile's conversion has made of the pixels of one picture (or of a band of it) so far.
// The library spends about a hundred instructions on a colour and a photo repeats most of its
// colours close together, so each colour is converted once and then looked up; grey's 256 levels
// are converted at once, ink as it comes. Every pixel comes out as the library converts it alone.
class ColourMemory {
public:
    // `pixelCount`, how many pixels will pass, sizes the memory: a small picture needs no large
    // one. The transform must outlive the memory.
    ColourMemory(const ColorTransform& transform, std::uint64_t pixelCount);

    // Converts `count` pixels of the transform's input layout in place.
    void convert(std::uint8_t* pixels, std::size_t count);

private:
    void rememberGreyLevels();
    void makeSlots(std::uint64_t pixelCount);
    void convertGrey(std::uint8_t* pixels, std::size_t count) const;
    // What the look-ups read, passed to them: held in the memory, it would be read again after
    // every pixel written, which could have changed it for all the compiler knows.
    struct Slots {
        const std::uint32_t* pixels;
        const std::uint32_t* converted;
        int shift;
    };
    static bool recall(std::uint8_t* pixel, Slots slots);
    // Converts the pixels it finds, up to the first it does not (or `end`), which it returns.
    static std::uint8_t* recallUntilMissing(std::uint8_t* pixel, std::uint8_t* end, Slots slots);
    void convertRun(std::uint8_t* pixels, std::size_t count);
    void convertMissed(std::uint8_t* pixels, std::uint32_t colourCount, std::uint32_t missedCount);

    const ColorTransform& transform_;
    int samples_;
    std::vector<std::uint8_t> levels_;
    // Pixels as they were, alpha included, and as they became, slot by slot, found by a hash of
    // the pixel: a look-up gives the whole pixel, whatever the machine's byte order. In two
    // arrays, each is read at the slot's index straight, with no address worked out first.
    std::vector<std::uint32_t> pixels_;
    std::vector<std::uint32_t> converted_;
    int shift_ = 0;
    // A run's colours not remembered, as the library takes them and gives them back, and which
    // pixel of the run waits for which of them.
    std::vector<std::uint8_t> unknown_;
    std::vector<std::uint8_t> known_;
    std::vector<std::uint16_t> missed_;
    std::vector<std::uint16_t> missedColour_;
};

} // namespace orlix
