#include "Export/PixelArea.h"

#include <bit>

namespace orlix {

namespace {

constexpr std::size_t bitsPerWord = 64;

} // namespace

PixelArea::PixelArea(std::size_t width, std::size_t height)
    : width_(width)
    , height_(height)
    , words_((width * height + bitsPerWord - 1) / bitsPerWord, 0) {}

bool PixelArea::contains(Location location) const {
    if (!inside(location)) {
        return false;
    }
    const std::size_t bit = index(location);
    return (words_[bit / bitsPerWord] >> (bit % bitsPerWord) & 1u) != 0;
}

bool PixelArea::insert(Location location) {
    if (!inside(location) || contains(location)) {
        return false;
    }
    const std::size_t bit = index(location);
    words_[bit / bitsPerWord] |= std::uint64_t{1} << (bit % bitsPerWord);
    ++size_;
    return true;
}

void PixelArea::formUnion(const PixelArea& other) {
    if (other.width_ != width_ || other.height_ != height_) {
        return;
    }
    size_ = 0;
    for (std::size_t word = 0; word < words_.size(); ++word) {
        words_[word] |= other.words_[word];
        size_ += static_cast<std::size_t>(std::popcount(words_[word]));
    }
}

} // namespace orlix
