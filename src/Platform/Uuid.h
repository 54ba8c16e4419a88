#pragma once

#include <array>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace orlix {

// A universally unique identifier. A new one is random (version 4); the value orders and hashes
// so it can key maps and sets.
class Uuid {
public:
    using Bytes = std::array<std::uint8_t, 16>;

    // A fresh random identifier.
    Uuid();
    explicit Uuid(const Bytes& bytes)
        : bytes_(bytes) {}
    // Reads the canonical 8-4-4-4-12 hexadecimal form, in either case.
    static std::optional<Uuid> fromString(std::string_view text);

    const Bytes& bytes() const { return bytes_; }
    // The canonical form in upper case, "E621E1F8-C36C-495A-93FC-0C247A3E6E5F".
    std::string uuidString() const;

    bool operator==(const Uuid&) const = default;
    auto operator<=>(const Uuid&) const = default;

private:
    Bytes bytes_;
};

struct UuidHash {
    std::size_t operator()(const Uuid& uuid) const;
};

} // namespace orlix

template <> struct std::hash<orlix::Uuid> : orlix::UuidHash {};
