#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orlix {

// A set of pixels of one bitmap, one bit a pixel: membership and insertion are a shift and a mask,
// with none of the hashing and node allocation a general set of locations costs.
class PixelArea {
public:
    struct Location {
        std::size_t x;
        std::size_t y;

        bool operator==(const Location&) const = default;
    };

    // An empty set of the pixels of a `width` by `height` bitmap.
    PixelArea(std::size_t width, std::size_t height);

    // Locations outside the bitmap are never members.
    bool contains(Location location) const;
    // False when the location was a member already or lies outside the bitmap.
    bool insert(Location location);
    // Adds every member of `other`, a set of a bitmap of the same size.
    void formUnion(const PixelArea& other);

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

    bool operator==(const PixelArea&) const = default;

private:
    bool inside(Location location) const { return location.x < width_ && location.y < height_; }
    std::size_t index(Location location) const { return location.y * width_ + location.x; }

    std::size_t width_;
    std::size_t height_;
    std::size_t size_ = 0;
    std::vector<std::uint64_t> words_;
};

} // namespace orlix
