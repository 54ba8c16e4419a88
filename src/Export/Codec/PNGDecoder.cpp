#include "Export/Codec/PNGDecoder.h"

#include "Export/Codec/ColorTransform.h"
#include "Export/Codec/PNGStructures.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

namespace orlix {

namespace {

// libpng's own default: no real picture is longer on one side, and it keeps libpng's row
// buffers small whatever a header claims.
constexpr png_uint_32 maximumSide = 1'000'000;

// Text and other chunks that are decompressed are kept within this, iCCP included.
constexpr png_alloc_size_t maximumChunkMemory = 16 * 1024 * 1024;

constexpr double inchesPerMetre = 0.0254;

// A picture averaged down while it is read is converted this many pixels at a time, in whole rows.
constexpr std::uint32_t bandPixels = 1u << 16;

struct PNGReadJob {
    std::span<const std::uint8_t> bytes;
    std::size_t offset = 0;
    // When set, the data is read from here as the library asks for it instead of from `bytes`.
    std::FILE* file = nullptr;

    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int colorType = 0;
    int bitDepth = 0;
    bool hasTransparency = false;
    bool interlaced = false;
    // The whole picture, or, while it is averaged down, its band of rows.
    std::shared_ptr<BitmapImageRep> bitmap;

    // Averaging down: the last band when the bands do not divide the picture, the conversion and
    // the blocks the rows are added to.
    std::shared_ptr<BitmapImageRep> lastBand;
    std::unique_ptr<ColorTransform> transform;
    std::optional<BoxReducer> reducer;
};

// Damaged files are expected; they are refused without a word rather than reported on stderr.
[[noreturn]] void failSilently(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

void ignoreWarning(png_structp, png_const_charp) {}

bool readInto(PNGReadJob& job, png_bytep destination, std::size_t count) {
    if (job.file != nullptr) {
        return std::fread(destination, 1, count, job.file) == count;
    }
    if (count > job.bytes.size() - job.offset) {
        return false;
    }
    std::memcpy(destination, job.bytes.data() + job.offset, count);
    job.offset += count;
    return true;
}

// Running out of bytes is an error, never a short read, so a truncated file cannot pass for a
// complete one.
void readFromJob(png_structp png, png_bytep destination, std::size_t count) {
    if (!readInto(*static_cast<PNGReadJob*>(png_get_io_ptr(png)), destination, count)) {
        png_error(png, "PNG data ends early");
    }
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
    job.interlaced = png_get_interlace_type(png, info) != PNG_INTERLACE_NONE;
}

using ReadStep = void (*)(png_structp, png_infop, PNGReadJob&);

bool readWithRecovery(png_structp png, png_infop info, PNGReadJob& job, ReadStep step) {
    if (setjmp(png_jmpbuf(png)) != 0) {
        return false;
    }
    step(png, info, job);
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

// The number of passes the rows come in, each in the layout of the job's bitmap.
int prepareRows(png_structp png, png_infop info, const PNGReadJob& job) {
    requestBitmapLayout(png, job);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != job.bitmap->bytesPerRow()) {
        png_error(png, "Unexpected row layout");
    }
    return passes;
}

// Runs between a recovery point and a possible libpng error: holds no object with a
// destructor, since a jump back would skip it.
void readPixels(png_structp png, png_infop info, PNGReadJob& job) {
    const int passes = prepareRows(png, info, job);
    BitmapImageRep& bitmap = *job.bitmap;
    // Each pass of an interlaced file adds its pixels to the rows already there.
    for (int pass = 0; pass < passes; ++pass) {
        for (png_uint_32 y = 0; y < job.height; ++y) {
            png_read_row(png, bitmap.row(y), nullptr);
        }
    }
    png_read_end(png, nullptr);
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

// Each band is finished as the whole bitmap would be, then added to the blocks. Runs between a
// recovery point and a possible libpng error: holds no object with a destructor, since a jump back
// would skip it.
void readBands(png_structp png, png_infop info, PNGReadJob& job) {
    prepareRows(png, info, job);
    const std::uint32_t bandRows = job.bitmap->pixelsHigh();
    for (png_uint_32 top = 0; top < job.height; top += bandRows) {
        BitmapImageRep& band = job.height - top >= bandRows ? *job.bitmap : *job.lastBand;
        for (std::uint32_t y = 0; y < band.pixelsHigh(); ++y) {
            png_read_row(png, band.row(y), nullptr);
        }
        finishPixels(band, job.transform.get());
        for (std::uint32_t y = 0; y < band.pixelsHigh(); ++y) {
            job.reducer->add(band.row(y));
        }
    }
    png_read_end(png, nullptr);
}

bool readWhole(png_structp png, png_infop info, PNGReadJob& job) {
    // Refused before anything the size of the picture is allocated.
    job.bitmap = BitmapImageRep::make(job.width, job.height, bitmapInfoFor(job));
    if (job.bitmap == nullptr || !readWithRecovery(png, info, job, readPixels)) {
        return false;
    }
    const auto transform = colourTransform(png, info, *job.bitmap);
    finishPixels(*job.bitmap, transform.get());
    return true;
}

// Only the bands and the blocks are allocated, but a picture a whole bitmap could not hold is
// refused all the same.
bool readReduced(png_structp png, png_infop info, PNGReadJob& job, BoxReducer::Factors factors) {
    const CoarseBitmapInfo layout = bitmapInfoFor(job);
    if (std::uint64_t{job.width} * job.height > BitmapImageRep::maximumPixelCount) {
        return false;
    }
    job.reducer.emplace(ImagePixelSize{job.width, job.height}, layout, factors);
    const std::uint32_t bandRows = std::clamp<std::uint32_t>(bandPixels / job.width, 1, job.height);
    job.bitmap = BitmapImageRep::make(job.width, bandRows, layout);
    if (job.height % bandRows != 0) {
        job.lastBand = BitmapImageRep::make(job.width, job.height % bandRows, layout);
    }
    if (!job.reducer->result() || job.bitmap == nullptr) {
        return false;
    }
    job.transform = colourTransform(png, info, *job.bitmap);
    if (!readWithRecovery(png, info, job, readBands)) {
        return false;
    }
    job.bitmap = job.reducer->result();
    return true;
}

// Pixels per metre come as whole numbers, so a whole number of dots per inch comes back a little
// off: 144 dpi is stored as 5669 and reads as 143.99. Values that close to a whole number are
// taken as that number.
double dotsPerInch(png_uint_32 pixelsPerMetre) {
    const double exact = pixelsPerMetre * inchesPerMetre;
    const double whole = std::round(exact);
    return std::fabs(exact - whole) <= inchesPerMetre / 2 + 1e-9 ? whole : exact;
}

std::optional<DecodedBitmap> decodeJob(PNGReadJob& job, const BoxReducer::FactorsFor& boxFactors) {
    const PNGStructures structures(PNGStructures::Direction::read, failSilently, ignoreWarning);
    if (!structures.isValid() ||
        !readWithRecovery(structures.png(), structures.info(), job, readHeader)) {
        return std::nullopt;
    }
    // An interlaced file's rows are complete only after its last pass: it is read whole.
    const auto factors =
        boxFactors && !job.interlaced ? boxFactors({job.width, job.height}) : BoxReducer::Factors{};
    const bool read = factors == BoxReducer::Factors{}
                          ? readWhole(structures.png(), structures.info(), job)
                          : readReduced(structures.png(), structures.info(), job, factors);
    if (!read) {
        return std::nullopt;
    }
    DecodedBitmap decoded{job.bitmap, 0.0, 0.0, {job.width, job.height}, factors};
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

} // namespace

std::optional<DecodedBitmap> PNGDecoder::decode(std::span<const std::uint8_t> bytes) {
    PNGReadJob job;
    job.bytes = bytes;
    return decodeJob(job, {});
}

std::optional<DecodedBitmap> PNGDecoder::decode(std::FILE* file,
                                                const BoxReducer::FactorsFor& boxFactors) {
    PNGReadJob job;
    job.file = file;
    return decodeJob(job, boxFactors);
}

} // namespace orlix
