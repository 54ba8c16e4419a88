#include "Support/EncodedImages.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <utility>

namespace orlix::testing {

namespace {

void appendToBytes(png_structp png, png_bytep data, std::size_t length) {
    auto* bytes = static_cast<Bytes*>(png_get_io_ptr(png));
    bytes->insert(bytes->end(), data, data + length);
}

} // namespace

PNGSpec pngSpec(std::uint32_t width, std::uint32_t height, int colorType, int bitDepth,
                Bytes pixels) {
    PNGSpec spec;
    spec.width = width;
    spec.height = height;
    spec.colorType = colorType;
    spec.bitDepth = bitDepth;
    spec.pixels = std::move(pixels);
    return spec;
}

Bytes pngFile(const PNGSpec& spec) {
    Bytes file;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &file, appendToBytes, nullptr);
    png_set_IHDR(png, info, spec.width, spec.height, spec.bitDepth, spec.colorType,
                 spec.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!spec.palette.empty()) {
        png_set_PLTE(png, info, spec.palette.data(), static_cast<int>(spec.palette.size()));
    }
    if (!spec.paletteAlphas.empty()) {
        png_set_tRNS(png, info, spec.paletteAlphas.data(),
                     static_cast<int>(spec.paletteAlphas.size()), nullptr);
    }
    if (spec.transparentColour) {
        png_color_16 colour = *spec.transparentColour;
        png_set_tRNS(png, info, nullptr, 0, &colour);
    }
    if (spec.physical) {
        png_set_pHYs(png, info, (*spec.physical)[0], (*spec.physical)[1],
                     static_cast<int>((*spec.physical)[2]));
    }
    if (!spec.profile.empty()) {
        png_set_iCCP(png, info, "test", 0, spec.profile.data(),
                     static_cast<png_uint_32>(spec.profile.size()));
    }
    if (spec.gamma) {
        png_set_gAMA(png, info, *spec.gamma);
    }
    if (const auto& c = spec.chromaticities) {
        png_set_cHRM(png, info, (*c)[0], (*c)[1], (*c)[2], (*c)[3], (*c)[4], (*c)[5], (*c)[6],
                     (*c)[7]);
    }
    png_write_info(png, info);
    const std::size_t rowBytes = spec.pixels.size() / spec.height;
    const int passes = png_set_interlace_handling(png);
    for (int pass = 0; pass < passes; ++pass) {
        for (std::uint32_t y = 0; y < spec.height; ++y) {
            png_write_row(png, spec.pixels.data() + y * rowBytes);
        }
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return file;
}

Bytes jpegFile(const JPEGSpec& spec) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long length = 0;
    jpeg_mem_dest(&info, &buffer, &length);
    info.image_width = spec.width;
    info.image_height = spec.height;
    info.input_components = spec.components;
    info.in_color_space = spec.colorSpace;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    if (info.jpeg_color_space == JCS_YCbCr) {
        info.comp_info[0].h_samp_factor = spec.lumaSampling[0];
        info.comp_info[0].v_samp_factor = spec.lumaSampling[1];
    }
    if (spec.progressive) {
        jpeg_simple_progression(&info);
    }
    if (!spec.scans.empty()) {
        info.scan_info = spec.scans.data();
        info.num_scans = static_cast<int>(spec.scans.size());
    }
    if (spec.colorSpace == JCS_CMYK) {
        info.write_Adobe_marker = spec.adobeMarker ? TRUE : FALSE;
    }
    if (spec.jfifDensity) {
        info.density_unit = static_cast<UINT8>((*spec.jfifDensity)[0]);
        info.X_density = static_cast<UINT16>((*spec.jfifDensity)[1]);
        info.Y_density = static_cast<UINT16>((*spec.jfifDensity)[2]);
    }
    jpeg_start_compress(&info, TRUE);
    if (!spec.exif.empty()) {
        jpeg_write_marker(&info, JPEG_APP0 + 1, spec.exif.data(),
                          static_cast<unsigned>(spec.exif.size()));
    }
    if (!spec.profile.empty()) {
        jpeg_write_icc_profile(&info, spec.profile.data(),
                               static_cast<unsigned>(spec.profile.size()));
    }
    Bytes row(std::size_t{spec.width} * static_cast<std::size_t>(spec.components));
    while (info.next_scanline < info.image_height) {
        for (std::uint32_t x = 0; x < spec.width; ++x) {
            const auto value = spec.pixel(x, info.next_scanline);
            std::copy_n(value.begin(), spec.components, row.begin() + x * spec.components);
        }
        JSAMPROW rowPointer = row.data();
        jpeg_write_scanlines(&info, &rowPointer, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    Bytes file(buffer, buffer + length);
    std::free(buffer);
    return file;
}

void put16(Bytes& bytes, std::size_t at, unsigned value, bool bigEndian) {
    bytes[at + (bigEndian ? 0 : 1)] = static_cast<std::uint8_t>(value >> 8);
    bytes[at + (bigEndian ? 1 : 0)] = static_cast<std::uint8_t>(value);
}

void put32(Bytes& bytes, std::size_t at, std::uint32_t value, bool bigEndian) {
    put16(bytes, at + (bigEndian ? 0 : 2), value >> 16, bigEndian);
    put16(bytes, at + (bigEndian ? 2 : 0), value & 0xFFFF, bigEndian);
}

Bytes exifSegment(const std::vector<ExifEntry>& entries, bool bigEndian, const Bytes& tail,
                  std::uint32_t nextDirectory) {
    Bytes segment{'E', 'x', 'i', 'f', 0, 0};
    Bytes tiff(8 + 2 + 12 * entries.size() + 4);
    tiff[0] = tiff[1] = bigEndian ? 'M' : 'I';
    put16(tiff, 2, 42, bigEndian);
    put32(tiff, 4, 8, bigEndian);
    put16(tiff, 8, static_cast<unsigned>(entries.size()), bigEndian);
    for (std::size_t index = 0; index < entries.size(); ++index) {
        const std::size_t at = 10 + 12 * index;
        const ExifEntry& entry = entries[index];
        put16(tiff, at, entry.tag, bigEndian);
        put16(tiff, at + 2, entry.type, bigEndian);
        put32(tiff, at + 4, entry.count, bigEndian);
        if (entry.type == 3) {
            put16(tiff, at + 8, entry.value, bigEndian);
        } else {
            put32(tiff, at + 8, entry.value, bigEndian);
        }
    }
    put32(tiff, tiff.size() - 4, nextDirectory, bigEndian);
    segment.insert(segment.end(), tiff.begin(), tiff.end());
    segment.insert(segment.end(), tail.begin(), tail.end());
    return segment;
}

Bytes rationals(std::initializer_list<std::uint32_t> values, bool bigEndian) {
    Bytes bytes(values.size() * 4);
    std::size_t at = 0;
    for (std::uint32_t value : values) {
        put32(bytes, at, value, bigEndian);
        at += 4;
    }
    return bytes;
}

Bytes linearProfile(bool grey) {
    Bytes profile(128);
    auto tag = [&profile](const char* type, Bytes body) {
        const auto offset = static_cast<std::uint32_t>(profile.size());
        std::copy_n(type, 4, body.begin());
        profile.insert(profile.end(), body.begin(), body.end());
        return offset;
    };
    auto xyz = [&tag](double x, double y, double z) {
        Bytes body(20);
        put32(body, 8, static_cast<std::uint32_t>(std::lround(x * 65536)), true);
        put32(body, 12, static_cast<std::uint32_t>(std::lround(y * 65536)), true);
        put32(body, 16, static_cast<std::uint32_t>(std::lround(z * 65536)), true);
        return tag("XYZ ", body);
    };
    Bytes curve(16);
    put32(curve, 8, 1, true);
    put16(curve, 12, 0x0100, true);
    const std::uint32_t white = xyz(0.9642, 1.0, 0.8249);
    const std::uint32_t tone = tag("curv", curve);
    std::vector<std::pair<std::string, std::uint32_t>> tags{{"wtpt", white}};
    if (grey) {
        tags.emplace_back("kTRC", tone);
    } else {
        tags.insert(tags.end(), {{"rXYZ", xyz(0.4361, 0.2225, 0.0139)},
                                 {"gXYZ", xyz(0.3851, 0.7169, 0.0971)},
                                 {"bXYZ", xyz(0.1431, 0.0606, 0.7141)},
                                 {"rTRC", tone},
                                 {"gTRC", tone},
                                 {"bTRC", tone}});
    }
    // The tag table goes between the header and the tag bodies, which therefore move along.
    const std::size_t tableSize = 4 + 12 * tags.size();
    Bytes table(tableSize);
    put32(table, 0, static_cast<std::uint32_t>(tags.size()), true);
    for (std::size_t index = 0; index < tags.size(); ++index) {
        const auto& [signature, offset] = tags[index];
        std::copy_n(signature.begin(), 4, table.begin() + 4 + 12 * index);
        put32(table, 8 + 12 * index, static_cast<std::uint32_t>(offset + tableSize), true);
        put32(table, 12 + 12 * index, signature == "wtpt" || signature[1] == 'X' ? 20 : 16, true);
    }
    profile.insert(profile.begin() + 128, table.begin(), table.end());
    // libpng drops very small profiles as damaged; real ones carry descriptions of this size.
    profile.resize(profile.size() + 128);
    put32(profile, 0, static_cast<std::uint32_t>(profile.size()), true);
    put32(profile, 8, 0x02100000, true);
    std::copy_n("mntr", 4, profile.begin() + 12);
    std::copy_n(grey ? "GRAY" : "RGB ", 4, profile.begin() + 16);
    std::copy_n("XYZ ", 4, profile.begin() + 20);
    std::copy_n("acsp", 4, profile.begin() + 36);
    put32(profile, 68, 0xF6D6, true);
    put32(profile, 72, 0x10000, true);
    put32(profile, 76, 0xD32D, true);
    return profile;
}

} // namespace orlix::testing
