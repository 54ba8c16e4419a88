#include "Export/Codec/ExifReader.h"

#include <algorithm>
#include <cstring>

namespace orlix {

namespace {

constexpr std::uint8_t exifSignature[] = {'E', 'x', 'i', 'f', 0, 0};
constexpr std::size_t tiffHeaderSize = 8;
constexpr std::size_t entrySize = 12;

constexpr std::uint16_t orientationTag = 0x0112;
constexpr std::uint16_t xResolutionTag = 0x011A;
constexpr std::uint16_t yResolutionTag = 0x011B;
constexpr std::uint16_t resolutionUnitTag = 0x0128;
constexpr std::uint16_t thumbnailOffsetTag = 0x0201;
constexpr std::uint16_t thumbnailLengthTag = 0x0202;

constexpr std::uint16_t shortType = 3;
constexpr std::uint16_t longType = 4;
constexpr std::uint16_t rationalType = 5;

constexpr std::uint16_t unitInch = 2;
constexpr std::uint16_t unitCentimetre = 3;

// Every read is checked against the block's end, so offsets taken from the file cannot reach
// past it whatever they say.
class TIFFBytes {
public:
    TIFFBytes(std::span<const std::uint8_t> bytes, bool bigEndian)
        : bytes_(bytes)
        , bigEndian_(bigEndian) {}

    bool contains(std::uint64_t offset, std::uint64_t length) const {
        return offset <= bytes_.size() && length <= bytes_.size() - offset;
    }
    std::uint16_t u16(std::size_t offset) const {
        const std::uint8_t* p = bytes_.data() + offset;
        return bigEndian_ ? static_cast<std::uint16_t>(p[0] << 8 | p[1])
                          : static_cast<std::uint16_t>(p[1] << 8 | p[0]);
    }
    std::uint32_t u32(std::size_t offset) const {
        const std::uint8_t* p = bytes_.data() + offset;
        return bigEndian_ ? std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 |
                                std::uint32_t{p[2]} << 8 | p[3]
                          : std::uint32_t{p[3]} << 24 | std::uint32_t{p[2]} << 16 |
                                std::uint32_t{p[1]} << 8 | p[0];
    }

private:
    std::span<const std::uint8_t> bytes_;
    bool bigEndian_;
};

struct Entry {
    std::uint16_t type;
    std::uint32_t count;
    // Where the four-byte value-or-offset field of the entry sits.
    std::size_t valueField;
};

// A short's value sits in the entry itself; a long counts too, as some writers use it.
std::optional<std::uint32_t> integerValue(const TIFFBytes& tiff, const Entry& entry) {
    if (entry.count < 1) {
        return std::nullopt;
    }
    if (entry.type == shortType) {
        return tiff.u16(entry.valueField);
    }
    if (entry.type == longType) {
        return tiff.u32(entry.valueField);
    }
    return std::nullopt;
}

// A rational never fits in the entry, so the field is an offset from the TIFF header.
double rationalValue(const TIFFBytes& tiff, const Entry& entry) {
    if (entry.type != rationalType || entry.count < 1) {
        return 0.0;
    }
    const std::uint32_t offset = tiff.u32(entry.valueField);
    if (!tiff.contains(offset, 8)) {
        return 0.0;
    }
    const std::uint32_t denominator = tiff.u32(offset + 4);
    return denominator == 0 ? 0.0 : static_cast<double>(tiff.u32(offset)) / denominator;
}

// The entries of the directory at `directory`, each given to `visit` with its tag; the offset of
// the directory that follows it, 0 for none. A count larger than the block can hold is cut to the
// entries that are really there.
template <typename Visit>
std::uint32_t forEachEntry(const TIFFBytes& tiff, std::size_t size, std::uint32_t directory,
                           const Visit& visit) {
    const std::size_t entriesThere = (size - directory - 2) / entrySize;
    const std::size_t entryCount = std::min<std::size_t>(tiff.u16(directory), entriesThere);
    for (std::size_t index = 0; index < entryCount; ++index) {
        const std::size_t at = directory + 2 + index * entrySize;
        visit(tiff.u16(at), Entry{tiff.u16(at + 2), tiff.u32(at + 4), at + 8});
    }
    const std::size_t next = directory + 2 + entryCount * entrySize;
    return tiff.contains(next, 4) ? tiff.u32(next) : 0;
}

// The thumbnail the directory after the first describes, as a JPEG file it points to in the
// block: where its bytes start, how many there are, and that they begin as a JPEG does.
std::span<const std::uint8_t> thumbnailIn(std::span<const std::uint8_t> header,
                                          const TIFFBytes& tiff, std::uint32_t directory) {
    if (directory == 0 || !tiff.contains(directory, 2)) {
        return {};
    }
    std::optional<std::uint32_t> offset;
    std::optional<std::uint32_t> length;
    forEachEntry(tiff, header.size(), directory, [&](std::uint16_t tag, const Entry& entry) {
        if (tag == thumbnailOffsetTag) {
            offset = integerValue(tiff, entry);
        } else if (tag == thumbnailLengthTag) {
            length = integerValue(tiff, entry);
        }
    });
    if (!offset || !length || *length < 2 || !tiff.contains(*offset, *length) ||
        header[*offset] != 0xFF || header[*offset + 1] != 0xD8) {
        return {};
    }
    return header.subspan(*offset, *length);
}

} // namespace

std::optional<ExifReader::Facts> ExifReader::read(std::span<const std::uint8_t> segment) {
    if (segment.size() < sizeof exifSignature + tiffHeaderSize ||
        std::memcmp(segment.data(), exifSignature, sizeof exifSignature) != 0) {
        return std::nullopt;
    }
    const auto header = segment.subspan(sizeof exifSignature);
    const bool littleEndian = header[0] == 'I' && header[1] == 'I';
    const bool bigEndian = header[0] == 'M' && header[1] == 'M';
    if (!littleEndian && !bigEndian) {
        return std::nullopt;
    }
    const TIFFBytes tiff(header, bigEndian);
    if (tiff.u16(2) != 42) {
        return std::nullopt;
    }
    const std::uint32_t directory = tiff.u32(4);
    if (!tiff.contains(directory, 2)) {
        return std::nullopt;
    }
    Facts facts;
    double xResolution = 0.0;
    double yResolution = 0.0;
    std::uint32_t unit = unitInch; // TIFF's default when the tag is missing
    const std::uint32_t next =
        forEachEntry(tiff, header.size(), directory, [&](std::uint16_t tag, const Entry& entry) {
            switch (tag) {
            case orientationTag:
                if (const auto value = integerValue(tiff, entry);
                    value && *value >= 1 && *value <= 8) {
                    facts.orientation = static_cast<int>(*value);
                }
                break;
            case xResolutionTag:
                xResolution = rationalValue(tiff, entry);
                break;
            case yResolutionTag:
                yResolution = rationalValue(tiff, entry);
                break;
            case resolutionUnitTag:
                unit = integerValue(tiff, entry).value_or(0);
                break;
            default:
                break;
            }
        });
    facts.thumbnail = thumbnailIn(header, tiff, next);
    const double inchesPerUnit =
        unit == unitInch ? 1.0 : (unit == unitCentimetre ? 1.0 / 2.54 : 0.0);
    if (inchesPerUnit > 0.0) {
        facts.xDotsPerInch = xResolution / inchesPerUnit;
        facts.yDotsPerInch = yResolution / inchesPerUnit;
    }
    return facts;
}

} // namespace orlix
