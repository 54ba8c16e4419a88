#include "Platform/Uuid.h"

#include <cstring>
#include <random>

namespace orlix {

namespace {

constexpr std::string_view hexDigits = "0123456789ABCDEF";

bool isHyphenPosition(std::size_t index) {
    return index == 8 || index == 13 || index == 18 || index == 23;
}

int hexValue(char character) {
    if (character >= '0' && character <= '9') {
        return character - '0';
    }
    if (character >= 'a' && character <= 'f') {
        return character - 'a' + 10;
    }
    if (character >= 'A' && character <= 'F') {
        return character - 'A' + 10;
    }
    return -1;
}

std::mt19937_64& generator() {
    // One generator per thread, each seeded with fresh entropy, so no lock is needed.
    thread_local std::mt19937_64 engine = [] {
        std::random_device device;
        std::seed_seq seed{device(), device(), device(), device(),
                           device(), device(), device(), device()};
        return std::mt19937_64(seed);
    }();
    return engine;
}

} // namespace

Uuid::Uuid() {
    const std::uint64_t words[2] = {generator()(), generator()()};
    std::memcpy(bytes_.data(), words, bytes_.size());
    bytes_[6] = static_cast<std::uint8_t>((bytes_[6] & 0x0F) | 0x40); // version 4
    bytes_[8] = static_cast<std::uint8_t>((bytes_[8] & 0x3F) | 0x80); // RFC 4122 variant
}

std::optional<Uuid> Uuid::fromString(std::string_view text) {
    if (text.size() != 36) {
        return std::nullopt;
    }
    Bytes bytes{};
    std::size_t nibble = 0;
    for (std::size_t index = 0; index < text.size(); ++index) {
        if (isHyphenPosition(index)) {
            if (text[index] != '-') {
                return std::nullopt;
            }
            continue;
        }
        const int value = hexValue(text[index]);
        if (value < 0) {
            return std::nullopt;
        }
        bytes[nibble / 2] = static_cast<std::uint8_t>(bytes[nibble / 2] << 4 | value);
        ++nibble;
    }
    return Uuid(bytes);
}

std::string Uuid::uuidString() const {
    std::string text;
    text.reserve(36);
    for (std::size_t index = 0; index < bytes_.size(); ++index) {
        if (index == 4 || index == 6 || index == 8 || index == 10) {
            text += '-';
        }
        text += hexDigits[bytes_[index] >> 4];
        text += hexDigits[bytes_[index] & 0x0F];
    }
    return text;
}

std::size_t UuidHash::operator()(const Uuid& uuid) const {
    // The bytes are random already; folding them is enough.
    std::uint64_t halves[2];
    std::memcpy(halves, uuid.bytes().data(), sizeof halves);
    return static_cast<std::size_t>(halves[0] ^ halves[1]);
}

} // namespace orlix
