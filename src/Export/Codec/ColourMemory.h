#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace orlix {

class ColorTransform;

// What a profile's conversion has made of the pixels of one picture (or of a band of it) so far.
// The library spends about a hundred instructions on a colour and a photo repeats most of its
// colours close together, so each colour is converted once and then looked up; grey's 256 levels
// are converted at once, ink as it comes. Every pixel comes out as the library converts it alone.
class ColourMemory {
public:
    // The transform must outlive the memory.
    explicit ColourMemory(const ColorTransform& transform);

    // Converts `count` pixels of the transform's input layout in place.
    void convert(std::uint8_t* pixels, std::size_t count);

private:
    void rememberGreyLevels();
    void makeSlots();
    void convertGrey(std::uint8_t* pixels, std::size_t count) const;
    // What the look-ups read, passed to them: held in the memory, it would be read again after
    // every pixel written, which could have changed it for all the compiler knows.
    struct Slots {
        const std::uint32_t* pixels;
        const std::uint32_t* converted;
    };
    static bool recall(std::uint8_t* pixel, Slots slots);
    void convertRun(std::uint8_t* pixels, std::size_t count);
    // Out of the look-ups' way, which then keep all they need in registers.
    [[gnu::noinline]] void wait(std::uint8_t* pixel);
    void convertMissed();

    const ColorTransform& transform_;
    int samples_;
    std::vector<std::uint8_t> levels_;
    // The pixels as they were, alpha included, slot by slot, found by a hash of the pixel; then
    // what they became. A look-up gives the whole pixel, whatever the machine's byte order; kept
    // apart, each half is read at the slot's index straight, with no address worked out first.
    struct FreeSlots {
        void operator()(std::uint32_t* slots) const noexcept;
    };
    std::unique_ptr<std::uint32_t[], FreeSlots> slots_;
    // A run's colours not remembered, as the library takes them and gives them back, and for
    // each pixel that waits for one of them, its place in the run and, above, the colour's.
    std::vector<std::uint8_t> unknown_;
    std::vector<std::uint8_t> known_;
    std::vector<std::uint32_t> waiting_;
    struct Run {
        std::uint8_t* start = nullptr;
        std::uint32_t colourCount = 0;
        std::uint32_t waitingCount = 0;
        std::uint32_t lastMissed = 0;
    };
    Run run_;
};

} // namespace orlix
