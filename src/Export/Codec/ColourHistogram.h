#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace orlix {

// One distinct RGBA value of the quantiser's input, with the mapping results cached for it so
// that a photo with many repeats of a colour searches the palette once per colour, not per pixel.
struct HistogramEntry {
    std::array<double, 4> colour{};      // weighted r, g, b, a
    std::array<double, 4> ditherScale{}; // negative until the ordered or random dither needs it
    HistogramEntry* nextInBox = nullptr;
    HistogramEntry* nextInBucket = nullptr;
    // 64 bits so that the counts of a huge or repeatedly added image cannot wrap.
    std::uint64_t count = 0;
    std::array<std::int32_t, 4> ditherIndex{};
    std::int32_t paletteIndex = -1;
    std::uint32_t key = 0; // R | G << 8 | B << 16 | A << 24, as added

    void forgetMapping() {
        paletteIndex = -1;
        ditherScale.fill(-1.0);
        ditherIndex.fill(-1);
    }
};

// Exact colour histogram: a fixed table of chains keyed by a mix of the four bytes. Entries live
// in fixed-size blocks so that their addresses stay put while the box lists link them together,
// and so that a million distinct colours cost a few hundred allocations, not a million.
class ColourHistogram {
public:
    static constexpr std::size_t bucketCount = 65536;

    ColourHistogram();

    static std::uint32_t keyOf(const std::uint8_t* rgba) {
        return std::uint32_t{rgba[0]} | std::uint32_t{rgba[1]} << 8 | std::uint32_t{rgba[2]} << 16 |
               std::uint32_t{rgba[3]} << 24;
    }

    HistogramEntry* find(std::uint32_t key) const;
    // The entry of `key` with its count raised by one; a new entry has count 1 and its colour
    // left for the caller to fill in, which `inserted` tells.
    HistogramEntry& add(std::uint32_t key, bool& inserted);

    // Buckets in ascending order, each chain from its front: the order the box lists are built in.
    template <typename Visit> void forEach(Visit&& visit) const {
        for (HistogramEntry* head : buckets_) {
            for (HistogramEntry* entry = head; entry != nullptr; entry = entry->nextInBucket) {
                visit(*entry);
            }
        }
    }

    std::size_t size() const { return size_; }

private:
    static constexpr std::size_t blockSize = 4096;

    std::vector<HistogramEntry*> buckets_;
    std::vector<std::unique_ptr<HistogramEntry[]>> blocks_;
    std::size_t size_ = 0;
};

} // namespace orlix
