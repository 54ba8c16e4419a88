// Writes the fuzz targets' seed inputs: small valid inputs of every kind each reader takes, so
// that fuzzing starts deep inside the formats. `orlix-fuzz-seeds FOLDER` fills FOLDER/<target>/.
#include "Support/EncodedImages.h"

#include "Export/ImageUtilsProtocol.h"
#include "Model/ExportSettingsPreset.h"
#include "Model/Preferences.h"
#include "Platform/UserDefaults.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>

using namespace orlix;
using namespace orlix::testing;
namespace fs = std::filesystem;

namespace {

class SeedWriter {
public:
    explicit SeedWriter(fs::path folder)
        : folder_(std::move(folder)) {}

    void write(const std::string& target, const std::string& name, const Bytes& bytes) {
        const auto path = folder_ / target / name;
        fs::create_directories(path.parent_path());
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        if (!file) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            std::exit(1);
        }
    }

    void write(const std::string& target, const std::string& name, const std::string& text) {
        write(target, name, Bytes(text.begin(), text.end()));
    }

private:
    fs::path folder_;
};

// ---- Images ----

Bytes samples(std::size_t count, std::uint32_t seed) {
    std::mt19937 random(seed);
    Bytes bytes(count);
    for (auto& byte : bytes) {
        byte = static_cast<std::uint8_t>(random());
    }
    return bytes;
}

std::size_t rowBytes(std::uint32_t width, int colorType, int bitDepth) {
    const int channels = colorType == PNG_COLOR_TYPE_GRAY         ? 1
                         : colorType == PNG_COLOR_TYPE_GRAY_ALPHA ? 2
                         : colorType == PNG_COLOR_TYPE_RGB        ? 3
                         : colorType == PNG_COLOR_TYPE_RGBA       ? 4
                                                                  : 1;
    return (std::size_t{width} * static_cast<std::size_t>(channels * bitDepth) + 7) / 8;
}

PNGSpec noisePNG(std::uint32_t width, std::uint32_t height, int colorType, int bitDepth) {
    return pngSpec(width, height, colorType, bitDepth,
                   samples(rowBytes(width, colorType, bitDepth) * height,
                           width * 131 + static_cast<std::uint32_t>(colorType * 17 + bitDepth)));
}

PNGSpec palettePNG(int bitDepth, bool transparent) {
    PNGSpec spec = noisePNG(7, 5, PNG_COLOR_TYPE_PALETTE, bitDepth);
    const int entries = 1 << bitDepth;
    for (int index = 0; index < entries; ++index) {
        spec.palette.push_back({static_cast<png_byte>(index * 37),
                                static_cast<png_byte>(index * 11),
                                static_cast<png_byte>(255 - index)});
    }
    if (transparent) {
        spec.paletteAlphas = {0, 128, 255};
        spec.paletteAlphas.resize(
            std::min<std::size_t>(spec.paletteAlphas.size(), spec.palette.size()));
    }
    return spec;
}

void writePNGSeeds(SeedWriter& seeds, const std::string& target) {
    const std::pair<int, std::vector<int>> layouts[] = {
        {PNG_COLOR_TYPE_GRAY, {1, 2, 4, 8, 16}},
        {PNG_COLOR_TYPE_GRAY_ALPHA, {8, 16}},
        {PNG_COLOR_TYPE_RGB, {8, 16}},
        {PNG_COLOR_TYPE_RGBA, {8, 16}},
    };
    for (const auto& [colorType, depths] : layouts) {
        for (const int depth : depths) {
            const auto name =
                "png-type" + std::to_string(colorType) + "-depth" + std::to_string(depth);
            seeds.write(target, name, pngFile(noisePNG(7, 5, colorType, depth)));
        }
    }
    for (const int depth : {1, 2, 4, 8}) {
        seeds.write(target, "png-palette-depth" + std::to_string(depth),
                    pngFile(palettePNG(depth, false)));
        seeds.write(target, "png-palette-trns-depth" + std::to_string(depth),
                    pngFile(palettePNG(depth, true)));
    }
    PNGSpec interlaced = noisePNG(9, 9, PNG_COLOR_TYPE_RGBA, 8);
    interlaced.interlaced = true;
    seeds.write(target, "png-interlaced", pngFile(interlaced));

    PNGSpec keyed = noisePNG(7, 5, PNG_COLOR_TYPE_RGB, 8);
    keyed.transparentColour = png_color_16{0, 10, 20, 30, 0};
    keyed.physical = std::array<png_uint_32, 3>{2835, 5670, PNG_RESOLUTION_METER};
    seeds.write(target, "png-rgb-trns-phys", pngFile(keyed));

    PNGSpec profiled = noisePNG(7, 5, PNG_COLOR_TYPE_RGB, 8);
    profiled.profile = linearProfile(false);
    seeds.write(target, "png-rgb-iccp", pngFile(profiled));
    PNGSpec greyProfiled = noisePNG(7, 5, PNG_COLOR_TYPE_GRAY, 8);
    greyProfiled.profile = linearProfile(true);
    seeds.write(target, "png-grey-iccp", pngFile(greyProfiled));
}

JPEGSpec noiseJPEG(int components, J_COLOR_SPACE colorSpace) {
    JPEGSpec spec;
    spec.width = 11;
    spec.height = 7;
    spec.components = components;
    spec.colorSpace = colorSpace;
    spec.pixel = [](std::uint32_t x, std::uint32_t y) {
        const auto value = static_cast<std::uint8_t>(x * 23 + y * 41);
        return std::array<std::uint8_t, 4>{value, static_cast<std::uint8_t>(255 - value),
                                           static_cast<std::uint8_t>(x * 60), 40};
    };
    return spec;
}

Bytes orientationExif(unsigned orientation, bool bigEndian) {
    return exifSegment({{0x0112, 3, 1, orientation},
                        {0x011A, 5, 1, 62},
                        {0x011B, 5, 1, 70},
                        {0x0128, 3, 1, bigEndian ? 2u : 3u}},
                       bigEndian, rationals({144, 1, 72, 1}, bigEndian));
}

void writeJPEGSeeds(SeedWriter& seeds, const std::string& target) {
    seeds.write(target, "jpeg-grey", jpegFile(noiseJPEG(1, JCS_GRAYSCALE)));
    seeds.write(target, "jpeg-rgb", jpegFile(noiseJPEG(3, JCS_RGB)));
    seeds.write(target, "jpeg-cmyk-adobe", jpegFile(noiseJPEG(4, JCS_CMYK)));
    JPEGSpec plainInk = noiseJPEG(4, JCS_CMYK);
    plainInk.adobeMarker = false;
    seeds.write(target, "jpeg-cmyk-plain", jpegFile(plainInk));

    JPEGSpec dense = noiseJPEG(3, JCS_RGB);
    dense.jfifDensity = std::array<int, 3>{1, 144, 96};
    seeds.write(target, "jpeg-jfif-density", jpegFile(dense));
    JPEGSpec profiled = noiseJPEG(3, JCS_RGB);
    profiled.profile = linearProfile(false);
    seeds.write(target, "jpeg-iccp", jpegFile(profiled));
    for (unsigned orientation = 2; orientation <= 8; orientation += 3) {
        JPEGSpec turned = noiseJPEG(3, JCS_RGB);
        turned.exif = orientationExif(orientation, orientation % 2 == 0);
        seeds.write(target, "jpeg-exif-orientation" + std::to_string(orientation),
                    jpegFile(turned));
    }
}

void writeImageSeeds(SeedWriter& seeds) {
    for (const std::string target : {"image-decoder", "thumbnail"}) {
        writePNGSeeds(seeds, target);
        writeJPEGSeeds(seeds, target);
    }
    // Large enough to be scaled down to the thumbnail box.
    seeds.write("thumbnail", "png-larger-than-thumbnail",
                pngFile(pngSpec(300, 120, PNG_COLOR_TYPE_GRAY, 8, Bytes(300 * 120, 90))));
}

void writeExifSeeds(SeedWriter& seeds) {
    for (unsigned orientation = 1; orientation <= 8; ++orientation) {
        for (const bool bigEndian : {false, true}) {
            seeds.write("exif",
                        "orientation" + std::to_string(orientation) + (bigEndian ? "-mm" : "-ii"),
                        orientationExif(orientation, bigEndian));
        }
    }
    seeds.write("exif", "long-orientation-centimetres",
                exifSegment({{0x0112, 4, 1, 6}, {0x011A, 5, 1, 38}, {0x0128, 3, 1, 3}}, false,
                            rationals({300, 1}, false)));
}

// ---- The image-utilities protocol ----

Bytes wire(const imageutils::Frame& frame) {
    Bytes bytes;
    auto put = [&bytes](std::uint32_t value, int size) {
        for (int shift = 0; shift < 8 * size; shift += 8) {
            bytes.push_back(static_cast<std::uint8_t>(value >> shift));
        }
    };
    put(imageutils::frameMagic, 4);
    put(static_cast<std::uint8_t>(frame.type), 1);
    put(static_cast<std::uint32_t>(frame.payload.size()), 4);
    bytes.insert(bytes.end(), frame.payload.begin(), frame.payload.end());
    return bytes;
}

imageutils::QuantizeRequest quantizeRequest(std::uint32_t width, std::uint32_t height,
                                            bool highQuality, bool hasAlpha) {
    imageutils::QuantizeRequest request;
    request.width = width;
    request.height = height;
    request.pixels = samples(std::size_t{width} * height * 4, width + height);
    request.highQuality = highQuality;
    request.hasAlpha = hasAlpha;
    return request;
}

void writeServiceSeeds(SeedWriter& seeds) {
    seeds.write("service-request", "quantize-4x4",
                wire(quantizeRequest(4, 4, false, true).encode()));
    seeds.write("service-request", "quantize-8x3-high-quality-opaque",
                wire(quantizeRequest(8, 3, true, false).encode()));
    auto builtIn = quantizeRequest(5, 5, false, true);
    builtIn.quantizer = imageutils::QuantizeRequest::Quantizer::builtIn;
    builtIn.paletteSize = 16;
    builtIn.dithered = false;
    seeds.write("service-request", "quantize-built-in-16", wire(builtIn.encode()));
    const auto png = pngFile(noisePNG(6, 4, PNG_COLOR_TYPE_RGBA, 8));
    seeds.write("service-request", "zopfli", wire(imageutils::ZopfliRequest{png}.encode()));
    seeds.write("service-request", "terminate",
                wire({imageutils::MessageType::terminateRequest, {}}));
}

void writeClientSeeds(SeedWriter& seeds) {
    // Two bytes of image size (width - 1, height - 1), then the reply as it arrives.
    auto sized = [](std::uint8_t width, std::uint8_t height, const imageutils::Frame& frame) {
        Bytes bytes{static_cast<std::uint8_t>(width - 1), static_cast<std::uint8_t>(height - 1)};
        const auto framed = wire(frame);
        bytes.insert(bytes.end(), framed.begin(), framed.end());
        return bytes;
    };
    imageutils::QuantizeReply reply;
    reply.hasResult = true;
    reply.success = true;
    reply.palette = {0, 0, 0, 255, 255, 255, 255, 255, 10, 20, 30, 128};
    reply.palettizedPixels = samples(12, 3);
    for (auto& index : reply.palettizedPixels) {
        index %= 3;
    }
    seeds.write("client-reply", "quantize-4x3", sized(4, 3, reply.encode()));
    seeds.write("client-reply", "quantize-no-result",
                sized(2, 2, imageutils::QuantizeReply{}.encode()));
    imageutils::ZopfliReply recompressed;
    recompressed.success = true;
    recompressed.png = pngFile(noisePNG(3, 3, PNG_COLOR_TYPE_GRAY, 8));
    seeds.write("client-reply", "zopfli", sized(1, 1, recompressed.encode()));
}

// ---- Preferences ----

// The preferences file as Orlix writes it, made by saving through the real store in a scratch
// configuration folder.
std::string savedPreferences(const Preferences& preferences) {
    std::string folder = (fs::temp_directory_path() / "orlix-seeds-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr) {
        std::perror("mkdtemp");
        std::exit(1);
    }
    ::setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
    preferences.save();
    std::ifstream file(UserDefaults::standardUserDefaults()->filePath(), std::ios::binary);
    std::string contents((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    fs::remove_all(folder);
    return contents;
}

void writePreferencesSeeds(SeedWriter& seeds) {
    seeds.write("user-defaults", "defaults", savedPreferences(Preferences{}));
    Preferences custom;
    custom.resolutions = OutputResolutionsPreference::x3x2x1;
    custom.performance = PerformancePreference::low;
    custom.userPresets = ExportSettingsPreset::builtInPresets();
    custom.userSelectedPresetTitle = custom.userPresets.back().title;
    custom.displayOperationsWindow = false;
    seeds.write("user-defaults", "every-preset", savedPreferences(custom));
    seeds.write("user-defaults", "every-kind", std::string(R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<dict>
	<key>OXPropertyListVersion</key>
	<string>10.1</string>
	<key>OXPerformance</key>
	<real>2.5</real>
	<key>OXPresets</key>
	<array>
		<dict/>
		<data>AAEC</data>
		<date>2026-01-02T03:04:05Z</date>
		<integer>-9223372036854775808</integer>
		<true/>
	</array>
</dict>
</plist>
)"));
    // The structured-value target reads its bytes as choices; any bytes will do to start.
    for (std::uint32_t seed = 1; seed <= 4; ++seed) {
        seeds.write("preferences", "choices" + std::to_string(seed), samples(64 * seed, seed));
    }
}

void writeUrlSeeds(SeedWriter& seeds) {
    // Strings of the fuzzer's data provider: each ends at a backslash and one more character.
    const std::map<std::string, std::string> texts{
        {"file-and-localhost",
         "file:///home/user/Pictures/a%20b.png\\xfile://localhost/tmp/icon@2x.JPG\\x-orlix"},
        {"escapes-and-host", "file://host/share/x.png\\xFILE:/a/b/../c.jpeg\\x.png"},
        {"other-schemes", "https://example.org/a.png?x#y\\xmailto:someone\\xsub/dir"},
        {"bad-escapes", "file:///a%2Fb\\xfile:///%zz%0\\x"},
    };
    for (const auto& [name, text] : texts) {
        seeds.write("url", name, text);
    }
    // A drag's list first, then the names of a list the target writes itself.
    seeds.write("uri-list", "file-manager-drag",
                std::string("# dragged\r\nfile:///home/user/a%20b.png\r\n"
                            "file://localhost/tmp/c.jpg\nhttps://example.org/d.png\r\n\\x"
                            "photo.jpg\\xsub/icon@2x.png\\x"));
    seeds.write("uri-list", "bare-line-ends",
                std::string("file:///a.png\nfile:///b%23c.png\n#\nfile:/d.jpeg\\xe.png\\x"));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    SeedWriter seeds{fs::path(argv[1])};
    writeImageSeeds(seeds);
    writeExifSeeds(seeds);
    writeServiceSeeds(seeds);
    writeClientSeeds(seeds);
    writePreferencesSeeds(seeds);
    writeUrlSeeds(seeds);
    return 0;
}
