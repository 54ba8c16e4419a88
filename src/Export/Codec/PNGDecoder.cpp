#include "Export/Codec/PNGDecoder.h"

#include "Export/Codec/ColorTransform.h"
#include "Export/Codec/PNGStructures.h"

#include <png.h>

#include <cmath>
#include <csetjmp>
#include <cstring>
#include <memory>
#include <vector>

namespace orlix {

namespace {

// libpng's own default: no real picture is longer on one side, and it keeps libpng's row
// buffers small whatever a header claims.
constexpr png_uint_32 maximumSide = 1'000'000;

// Text and other chunks that are decompressed are kept within this, iCCP included.
constexpr png_alloc_size_t maximumChunkMemory = 16 * 1024 * 1024;

constexpr double inchesPerMetre = 0.0254;

struct PNGReadJob {
    std::span<const std::uint8_t> bytes;
    std::size_t offset = 0;

    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int colorType = 0;
    int bitDepth = 0;
    bool hasTransparency = false;
    std::shared_ptr<BitmapImageRep> bitmap;
};

// Damaged files are expected; they are refused without a word rather than reported on stderr.
[[noreturn]] void failSilently(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

void ignoreWarning(png_structp, png_const_charp) {}

// Running out of bytes is an error, never a short read, so a truncated file cannot pass for a
// complete one.
void readFromJob(png_structp png, png_bytep destination, std::size_t count) {
    auto* job = static_cast<PNGReadJob*>(png_get_io_ptr(png));
    if (count > job->bytes.size() - job->offset) {
        png_error(png, "PNG data ends early");
    }
    std::memcpy(destination, job->bytes.data() + job->offset, count);
    job->offset += count;
}

// Runs between a recovery point and a possible libpng error: holds no object with a
// destructor, since a jump back would skip it.
void readHeader(png_structp png, png_infop info, PNGReadJob& job) {
    png_set_read_fn(png, &job, readFromJob);
    png_set_user_limits(png, maximumSide, maximumSide);
    png_set_chunk_malloc_max(png, maximumChunkMemory);
    png_read_info(png, info);
    job.width = png_get_image_width(png, info);
    job.height = png_get_image_height(png, info);
    job.colorType = png_get_color_type(png, info);
    job.bitDepth = png_get_bit_depth(png, info);
    job.hasTransparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
}

bool readHeaderWithRecovery(png_structp png, png_infop info, PNGReadJob& job) {
    if (setjmp(png_jmpbuf(png)) != 0) {
        return false;
    }
    readHeader(png, info, job);
    return true;
}

// Has libpng hand over rows already in the bitmap's layout, 8 bits a sample.
void requestBitmapLayout(png_structp png, const PNGReadJob& job) {
    if (job.bitDepth == 16) {
        png_set_scale_16(png);
    }
    if (job.colorType == PNG_COLOR_TYPE_PALETTE) {
        png_set_palette_to_rgb(png);
    }
    if (job.colorType == PNG_COLOR_TYPE_GRAY && job.bitDepth < 8) {
        png_set_expand_gray_1_2_4_to_8(png);
    }
    if (job.hasTransparency) {
        png_set_tRNS_to_alpha(png);
    }
    const bool colour = (job.colorType & PNG_COLOR_MASK_COLOR) != 0;
    const bool alpha = (job.colorType & PNG_COLOR_MASK_ALPHA) != 0 || job.hasTransparency;
    if (colour && !alpha) {
        png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    }
}

// Runs between a recovery point and a possible libpng error: holds no object with a
// destructor, since a jump back would skip it.
void readPixels(png_structp png, png_infop info, PNGReadJob& job) {
    requestBitmapLayout(png, job);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    BitmapImageRep& bitmap = *job.bitmap;
    if (png_get_rowbytes(png, info) != bitmap.bytesPerRow()) {
        png_error(png, "Unexpected row layout");
    }
    // Each pass of an interlaced file adds its pixels to the rows already there.
    for (int pass = 0; pass < passes; ++pass) {
        for (png_uint_32 y = 0; y < job.height; ++y) {
            png_read_row(png, bitmap.row(y), nullptr);
        }
    }
    png_read_end(png, nullptr);
}

bool readPixelsWithRecovery(png_structp png, png_infop info, PNGReadJob& job) {
    if (setjmp(png_jmpbuf(png)) != 0) {
        return false;
    }
    readPixels(png, info, job);
    return true;
}

CoarseBitmapInfo bitmapInfoFor(const PNGReadJob& job) {
    if ((job.colorType & PNG_COLOR_MASK_COLOR) != 0) {
        return CoarseBitmapInfo::rgbaSRGB();
    }
    const bool alpha = (job.colorType & PNG_COLOR_MASK_ALPHA) != 0 || job.hasTransparency;
    return alpha ? CoarseBitmapInfo::greyaGreyscale() : CoarseBitmapInfo::greyGreyscale();
}

StatedColour statedColour(png_structp png, png_infop info) {
    StatedColour stated;
    double gamma = 0.0;
    if (png_get_gAMA(png, info, &gamma) != 0) {
        stated.gamma = gamma;
    }
    StatedColour::Chromaticities c{};
    if (png_get_cHRM(png, info, &c.whiteX, &c.whiteY, &c.redX, &c.redY, &c.greenX, &c.greenY,
                     &c.blueX, &c.blueY) != 0) {
        stated.chromaticities = c;
    }
    return stated;
}

// An embedded profile describes the pixels; without one, an sRGB chunk says they are sRGB, and
// otherwise the gamma and chromaticities say what they are.
std::unique_ptr<ColorTransform> colourTransform(png_structp png, png_infop info,
                                                const BitmapImageRep& bitmap) {
    const ColorTransform::Input input = !bitmap.isGreyscale() ? ColorTransform::Input::rgba
                                        : bitmap.hasAlpha()   ? ColorTransform::Input::greyAlpha
                                                              : ColorTransform::Input::grey;
    png_charp name = nullptr;
    int compression = 0;
    png_bytep profile = nullptr;
    png_uint_32 length = 0;
    if (png_get_iCCP(png, info, &name, &compression, &profile, &length) != 0 &&
        profile != nullptr) {
        return ColorTransform::toSRGB({profile, length}, input);
    }
    if (png_get_valid(png, info, PNG_INFO_sRGB) != 0) {
        return nullptr;
    }
    return ColorTransform::fromStatedColour(statedColour(png, info), input);
}

// Colour is converted while alpha is still straight, as the profile describes unweighted colour.
void finishPixels(BitmapImageRep& bitmap, const ColorTransform* transform) {
    if (transform != nullptr) {
        transform->applyInPlace(bitmap);
    }
    if (!bitmap.hasAlpha()) {
        return;
    }
    const int samples = bitmap.samplesPerPixel();
    for (std::uint32_t y = 0; y < bitmap.pixelsHigh(); ++y) {
        std::uint8_t* row = bitmap.row(y);
        for (std::uint8_t* pixel = row; pixel < row + bitmap.bytesPerRow(); pixel += samples) {
            const unsigned alpha = pixel[samples - 1];
            for (int sample = 0; sample < samples - 1; ++sample) {
                pixel[sample] = static_cast<std::uint8_t>((pixel[sample] * alpha + 127) / 255);
            }
        }
    }
}

// Pixels per metre come as whole numbers, so a whole number of dots per inch comes back a little
// off: 144 dpi is stored as 5669 and reads as 143.99. Values that close to a whole number are
// taken as that number.
double dotsPerInch(png_uint_32 pixelsPerMetre) {
    const double exact = pixelsPerMetre * inchesPerMetre;
    const double whole = std::round(exact);
    return std::fabs(exact - whole) <= inchesPerMetre / 2 + 1e-9 ? whole : exact;
}

} // namespace

std::optional<DecodedBitmap> PNGDecoder::decode(std::span<const std::uint8_t> bytes) {
    const PNGStructures structures(PNGStructures::Direction::read, failSilently, ignoreWarning);
    PNGReadJob job;
    job.bytes = bytes;
    if (!structures.isValid() ||
        !readHeaderWithRecovery(structures.png(), structures.info(), job)) {
        return std::nullopt;
    }
    // Refused before anything the size of the picture is allocated.
    job.bitmap = BitmapImageRep::make(job.width, job.height, bitmapInfoFor(job));
    if (job.bitmap == nullptr ||
        !readPixelsWithRecovery(structures.png(), structures.info(), job)) {
        return std::nullopt;
    }
    const auto transform = colourTransform(structures.png(), structures.info(), *job.bitmap);
    finishPixels(*job.bitmap, transform.get());

    DecodedBitmap decoded{job.bitmap, 0.0, 0.0, {job.width, job.height}};
    png_uint_32 xPixelsPerUnit = 0;
    png_uint_32 yPixelsPerUnit = 0;
    int unit = PNG_RESOLUTION_UNKNOWN;
    if (png_get_pHYs(structures.png(), structures.info(), &xPixelsPerUnit, &yPixelsPerUnit,
                     &unit) != 0 &&
        unit == PNG_RESOLUTION_METER) {
        decoded.xDotsPerInch = dotsPerInch(xPixelsPerUnit);
        decoded.yDotsPerInch = dotsPerInch(yPixelsPerUnit);
    }
    return decoded;
}

} // namespace orlix
