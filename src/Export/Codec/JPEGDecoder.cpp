#include "Export/Codec/JPEGDecoder.h"

#include "Export/Codec/CoefficientArrays.h"
#include "Export/Codec/ColorTransform.h"
#include "Export/Codec/ColourMemory.h"
#include "Export/Codec/ExifReader.h"
#include "Export/Codec/JPEGErrorRecovery.h"
#include "Export/Codec/OrientedRowWriter.h"

#include <jerror.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <vector>

namespace orlix {

namespace {

// Every progressive scan passes over the whole picture again; real encoders use a dozen or so,
// while a hostile file can hold thousands of tiny ones to make decoding take hours.
constexpr int maximumScanCount = 1000;

// A progressive or multi-scan file keeps every coefficient, two bytes a sample, until its last
// scan: four samples a pixel at the largest size accepted, and room for the row buffers.
constexpr long workingMemoryLimit =
    static_cast<long>(BitmapImageRep::maximumPixelCount * 4 * 2 + 64 * 1024 * 1024);

enum class Kind { grey, colour, cmyk };

struct JPEGReadJob {
    std::span<const std::uint8_t> bytes;
    // When set, the data is read from here as the library asks for it instead of from `bytes`.
    std::FILE* file = nullptr;
    JPEGErrorRecovery errors{};
    jpeg_progress_mgr progress{};
    jpeg_decompress_struct decompressor{};
    JOCTET* iccProfile = nullptr;
    unsigned int iccProfileLength = 0;

    Kind kind = Kind::colour;
    bool invertedInk = false;
    std::shared_ptr<BitmapImageRep> bitmap;
    std::unique_ptr<ColorTransform> transform;
    // Colour and grey are converted row by row as they arrive, while the row is at hand, all
    // through one memory of the picture's colours.
    std::unique_ptr<ColourMemory> colours;
    std::unique_ptr<OrientedRowWriter> writer;
    std::vector<std::uint8_t> storedRow;
    std::vector<std::uint8_t> convertedRow;
    CoefficientArrays coefficients;

    explicit JPEGReadJob(std::span<const std::uint8_t> bytes)
        : bytes(bytes) {}
    explicit JPEGReadJob(std::FILE* file)
        : file(file) {}
    JPEGReadJob(const JPEGReadJob&) = delete;
    JPEGReadJob& operator=(const JPEGReadJob&) = delete;
    ~JPEGReadJob() {
        jpeg_destroy_decompress(&decompressor);
        std::free(iccProfile);
    }
};

void limitScans(j_common_ptr info) {
    if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > maximumScanCount) {
        JPEGErrorRecovery::fail(info);
    }
}

// The library carries on over missing data, filling the rest of the picture with grey; a file
// that ends early, or whose compressed data stops short, is refused instead.
void refuseIncompleteData(j_common_ptr info, int level) {
    const int code = info->err->msg_code;
    if (level < 0 && (code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER)) {
        JPEGErrorRecovery::fail(info);
    }
    if (level < 0) {
        ++info->err->num_warnings;
    }
}

// Runs between a recovery point and a possible library error: holds no object with a
// destructor, since a jump back would skip it.
void readHeader(JPEGReadJob& job) {
    jpeg_decompress_struct& decompressor = job.decompressor;
    decompressor.err = job.errors.install();
    job.errors.manager.emit_message = refuseIncompleteData;
    jpeg_create_decompress(&decompressor);
    decompressor.mem->max_memory_to_use = workingMemoryLimit;
    job.progress.progress_monitor = limitScans;
    decompressor.progress = &job.progress;
    if (job.file != nullptr) {
        jpeg_stdio_src(&decompressor, job.file);
    } else {
        jpeg_mem_src(&decompressor, job.bytes.data(), static_cast<unsigned long>(job.bytes.size()));
    }
    jpeg_save_markers(&decompressor, JPEG_APP0 + 1, 0xFFFF);
    jpeg_save_markers(&decompressor, JPEG_APP0 + 2, 0xFFFF);
    jpeg_read_header(&decompressor, TRUE);
    if (jpeg_read_icc_profile(&decompressor, &job.iccProfile, &job.iccProfileLength) == FALSE) {
        job.iccProfile = nullptr;
        job.iccProfileLength = 0;
    }
}

bool readHeaderWithRecovery(JPEGReadJob& job) {
    if (setjmp(job.errors.recovery) != 0) {
        return false;
    }
    readHeader(job);
    return true;
}

ExifReader::Facts exifFacts(const jpeg_decompress_struct& decompressor) {
    for (auto marker = decompressor.marker_list; marker != nullptr; marker = marker->next) {
        if (marker->marker == JPEG_APP0 + 1) {
            if (auto facts = ExifReader::read({marker->data, marker->data_length})) {
                return *facts;
            }
        }
    }
    return {};
}

// With nothing better known, ink simply takes away light: no profile for presses is installed to
// do better.
void convertInkNaively(const std::uint8_t* ink, std::uint8_t* rgba, std::uint32_t pixelCount) {
    for (std::uint32_t pixel = 0; pixel < pixelCount; ++pixel, ink += 4, rgba += 4) {
        const unsigned paper = 255u - ink[3];
        for (int channel = 0; channel < 3; ++channel) {
            rgba[channel] = static_cast<std::uint8_t>(((255u - ink[channel]) * paper + 127) / 255);
        }
        rgba[3] = 255;
    }
}

// The row in the bitmap's layout, in whichever buffer holds it.
const std::uint8_t* convertRow(JPEGReadJob& job, std::uint32_t width) {
    std::uint8_t* stored = job.storedRow.data();
    std::uint8_t* converted = job.convertedRow.data();
    if (job.kind != Kind::cmyk) {
        if (job.colours != nullptr) {
            job.colours->convert(stored, width);
        }
        return stored;
    }
    if (job.invertedInk) {
        for (std::size_t index = 0; index < std::size_t{width} * 4; ++index) {
            stored[index] = static_cast<std::uint8_t>(255 - stored[index]);
        }
    }
    if (job.transform == nullptr) {
        convertInkNaively(stored, converted, width);
        return converted;
    }
    job.transform->apply(stored, converted, width);
    for (std::size_t index = 3; index < std::size_t{width} * 4; index += 4) {
        converted[index] = 255;
    }
    return converted;
}

void readRows(JPEGReadJob& job) {
    jpeg_decompress_struct& decompressor = job.decompressor;
    if (static_cast<std::size_t>(decompressor.output_width) *
            static_cast<std::size_t>(decompressor.output_components) !=
        job.storedRow.size()) {
        JPEGErrorRecovery::fail(reinterpret_cast<j_common_ptr>(&decompressor));
    }
    while (decompressor.output_scanline < decompressor.output_height) {
        const JDIMENSION y = decompressor.output_scanline;
        JSAMPROW row = job.storedRow.data();
        if (jpeg_read_scanlines(&decompressor, &row, 1) != 1) {
            JPEGErrorRecovery::fail(reinterpret_cast<j_common_ptr>(&decompressor));
        }
        job.writer->write(y, convertRow(job, decompressor.output_width));
    }
}

// An eighth-scale picture needs little of a progressive file, which sends the coarse picture of
// every block first: the rest of the file, most of its data, need not be decoded.
bool readsFirstScansOnly(const jpeg_decompress_struct& decompressor) {
    return decompressor.progressive_mode != FALSE && decompressor.scale_num == 1 &&
           decompressor.scale_denom == 8;
}

// At an eighth a block is drawn from its DC alone, except that the library undoes a subsampled
// component's DCT at a larger size rather than upsampling it, which reads its AC as well.
bool drawsFromDCAlone(const jpeg_component_info& component) {
    return component.DCT_scaled_size == 1;
}

// The coefficients a reduced picture needs of each component: the whole picture's would be most of
// its work and memory.
std::vector<CoefficientArrays::Kept> keptForAnEighth(const jpeg_decompress_struct& decompressor) {
    std::vector<CoefficientArrays::Kept> kept;
    for (int component = 0; component < decompressor.num_components; ++component) {
        kept.push_back(drawsFromDCAlone(decompressor.comp_info[component])
                           ? CoefficientArrays::Kept::dcOnly
                           : CoefficientArrays::Kept::every);
    }
    return kept;
}

void keepCoefficients(JPEGReadJob& job, std::vector<CoefficientArrays::Kept> kept) {
    job.coefficients.install(*reinterpret_cast<j_common_ptr>(&job.decompressor), std::move(kept),
                             workingMemoryLimit);
}

// Encoders often send the coefficients without their lowest bits first and refine them only after
// the rest; a bit less precision is invisible at an eighth, so the small picture is made as soon as
// every coefficient it is drawn from has had its first scan, whatever bits it left out.
bool hasEveryCoefficientDrawn(const jpeg_decompress_struct& decompressor) {
    if (decompressor.coef_bits == nullptr) {
        return false;
    }
    for (int component = 0; component < decompressor.num_components; ++component) {
        const int* bits = decompressor.coef_bits[component];
        const int drawn = drawsFromDCAlone(decompressor.comp_info[component]) ? 1 : DCTSIZE2;
        if (std::any_of(bits, bits + drawn, [](int bit) { return bit < 0; })) {
            return false;
        }
    }
    return true;
}

void readFirstScans(JPEGReadJob& job) {
    jpeg_decompress_struct& decompressor = job.decompressor;
    keepCoefficients(job, keptForAnEighth(decompressor));
    decompressor.buffered_image = TRUE;
    // Missing coefficients would be guessed from the neighbours; the DC is all there is to show.
    decompressor.do_block_smoothing = FALSE;
    jpeg_start_decompress(&decompressor);
    // Neither source suspends; a file that ends early fails through its warning. One whose script
    // leaves some of those coefficients out is read to its end and drawn from what it sent.
    for (int status = JPEG_SUSPENDED;
         status != JPEG_REACHED_EOI &&
         !(status == JPEG_SCAN_COMPLETED && hasEveryCoefficientDrawn(decompressor));) {
        status = jpeg_consume_input(&decompressor);
        if (status == JPEG_SUSPENDED) {
            JPEGErrorRecovery::fail(reinterpret_cast<j_common_ptr>(&decompressor));
        }
    }
    jpeg_start_output(&decompressor, decompressor.input_scan_number);
    readRows(job);
    jpeg_finish_output(&decompressor);
    jpeg_abort_decompress(&decompressor);
}

// Runs between a recovery point and a possible library error: holds no object with a
// destructor, since a jump back would skip it.
void readPixels(JPEGReadJob& job) {
    jpeg_decompress_struct& decompressor = job.decompressor;
    if (readsFirstScansOnly(decompressor)) {
        readFirstScans(job);
        return;
    }
    keepCoefficients(job, {});
    // A file of several scans is read whole before the first row is drawn.
    jpeg_start_decompress(&decompressor);
    job.coefficients.startDrawing();
    readRows(job);
    jpeg_finish_decompress(&decompressor);
}

bool readPixelsWithRecovery(JPEGReadJob& job) {
    if (setjmp(job.errors.recovery) != 0) {
        return false;
    }
    readPixels(job);
    return true;
}

// The library scales in eighths while it undoes the DCT, which skips most of the work of a full
// decode followed by a reduction. The smallest scale whose shorter side still reaches the one asked
// for wins; the exact product keeps the longer side from falling short by a rounding.
void chooseScale(jpeg_decompress_struct& decompressor, std::uint32_t shortSideAtLeast) {
    constexpr unsigned eighths = 8;
    const std::uint64_t shortSide = std::min(decompressor.image_width, decompressor.image_height);
    unsigned scale = 1;
    while (scale < eighths && shortSide * scale < std::uint64_t{shortSideAtLeast} * eighths) {
        ++scale;
    }
    decompressor.scale_num = scale;
    decompressor.scale_denom = eighths;
}

// Chooses what the library hands over for each kind of file, and prepares everything the rows
// pass through, before any pixel is read.
bool prepare(JPEGReadJob& job, int orientation, std::uint32_t shortSideAtLeast) {
    jpeg_decompress_struct& decompressor = job.decompressor;
    const std::uint64_t pixelCount =
        std::uint64_t{decompressor.image_width} * decompressor.image_height;
    if (pixelCount == 0 || pixelCount > BitmapImageRep::maximumPixelCount) {
        return false;
    }
    CoarseBitmapInfo info = CoarseBitmapInfo::rgbaSRGB();
    ColorTransform::Input profileInput = ColorTransform::Input::rgba;
    int storedSamples = 4;
    switch (decompressor.jpeg_color_space) {
    case JCS_GRAYSCALE:
        job.kind = Kind::grey;
        decompressor.out_color_space = JCS_GRAYSCALE;
        info = CoarseBitmapInfo::greyGreyscale();
        profileInput = ColorTransform::Input::grey;
        storedSamples = 1;
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        job.kind = Kind::cmyk;
        decompressor.out_color_space = JCS_CMYK;
        // Files with an Adobe marker store ink inverted, 255 meaning none, by long convention.
        job.invertedInk = decompressor.saw_Adobe_marker != FALSE;
        profileInput = ColorTransform::Input::cmyk;
        break;
    default:
        job.kind = Kind::colour;
        decompressor.out_color_space = JCS_EXT_RGBA;
        break;
    }
    if (shortSideAtLeast != 0) {
        chooseScale(decompressor, shortSideAtLeast);
    }
    jpeg_calc_output_dimensions(&decompressor);
    const std::uint32_t width = decompressor.output_width;
    const std::uint32_t height = decompressor.output_height;
    const bool swap = OrientedRowWriter::swapsAxes(orientation);
    job.bitmap = BitmapImageRep::make(swap ? height : width, swap ? width : height, info);
    if (job.bitmap == nullptr) {
        return false;
    }
    if (job.iccProfile != nullptr) {
        job.transform =
            ColorTransform::toSRGB({job.iccProfile, job.iccProfileLength}, profileInput);
    }
    if (job.transform != nullptr && job.kind != Kind::cmyk) {
        job.colours = std::make_unique<ColourMemory>(*job.transform);
    }
    job.writer = std::make_unique<OrientedRowWriter>(*job.bitmap, width, height, orientation);
    job.storedRow.resize(std::size_t{width} * static_cast<std::size_t>(storedSamples));
    job.convertedRow.resize(std::size_t{width} *
                            static_cast<std::size_t>(job.bitmap->samplesPerPixel()));
    return true;
}

ImagePixelSize uprightSize(const jpeg_decompress_struct& decompressor, int orientation) {
    const ImagePixelSize stored{decompressor.image_width, decompressor.image_height};
    return OrientedRowWriter::swapsAxes(orientation) ? ImagePixelSize{stored.height, stored.width}
                                                     : stored;
}

double dotsPerInch(UINT16 density, UINT8 unit) {
    return unit == 1 ? density : density * 2.54;
}

// `orientation`, when given, stands for the file's own: a thumbnail inside a file is turned as the
// file says.
std::optional<DecodedBitmap> decodeJob(JPEGReadJob& job, std::uint32_t shortSideAtLeast,
                                       std::optional<int> orientation = std::nullopt) {
    job.errors.reportsErrors = false;
    if (!readHeaderWithRecovery(job)) {
        return std::nullopt;
    }
    ExifReader::Facts exif = exifFacts(job.decompressor);
    exif.orientation = orientation.value_or(exif.orientation);
    if (!prepare(job, exif.orientation, shortSideAtLeast) || !readPixelsWithRecovery(job)) {
        return std::nullopt;
    }
    const jpeg_decompress_struct& decompressor = job.decompressor;
    DecodedBitmap decoded{job.bitmap, exif.xDotsPerInch, exif.yDotsPerInch,
                          uprightSize(decompressor, exif.orientation)};
    // A JFIF density in an absolute unit wins; without one the EXIF resolution stands.
    if (decompressor.saw_JFIF_marker &&
        (decompressor.density_unit == 1 || decompressor.density_unit == 2)) {
        decoded.xDotsPerInch = dotsPerInch(decompressor.X_density, decompressor.density_unit);
        decoded.yDotsPerInch = dotsPerInch(decompressor.Y_density, decompressor.density_unit);
    }
    if (OrientedRowWriter::swapsAxes(exif.orientation)) {
        std::swap(decoded.xDotsPerInch, decoded.yDotsPerInch);
    }
    return decoded;
}

// Within a pixel of the picture's shape, so that no letterboxed or cut preview stands for it.
bool hasTheShapeOf(const BitmapImageRep& thumbnail, ImagePixelSize picture) {
    const std::uint64_t across = std::uint64_t{thumbnail.pixelsWide()} * picture.height;
    const std::uint64_t down = std::uint64_t{thumbnail.pixelsHigh()} * picture.width;
    return (across > down ? across - down : down - across) <=
           std::max<std::uint64_t>(picture.width, picture.height);
}

} // namespace

std::optional<DecodedBitmap> JPEGDecoder::decode(std::span<const std::uint8_t> bytes,
                                                 std::uint32_t shortSideAtLeast) {
    if (bytes.size() > std::numeric_limits<unsigned long>::max()) {
        return std::nullopt;
    }
    JPEGReadJob job(bytes);
    return decodeJob(job, shortSideAtLeast);
}

std::optional<DecodedBitmap> JPEGDecoder::decode(std::FILE* file, std::uint32_t shortSideAtLeast) {
    JPEGReadJob job(file);
    return decodeJob(job, shortSideAtLeast);
}

std::optional<DecodedBitmap> JPEGDecoder::embeddedThumbnail(std::FILE* file,
                                                            std::uint32_t shortSideAtLeast) {
    JPEGReadJob job(file);
    job.errors.reportsErrors = false;
    if (!readHeaderWithRecovery(job)) {
        return std::nullopt;
    }
    const ExifReader::Facts exif = exifFacts(job.decompressor);
    if (exif.thumbnail.empty()) {
        return std::nullopt;
    }
    JPEGReadJob embedded(exif.thumbnail);
    auto thumbnail = decodeJob(embedded, 0, exif.orientation);
    const ImagePixelSize picture = uprightSize(job.decompressor, exif.orientation);
    if (!thumbnail ||
        std::min(thumbnail->bitmap->pixelsWide(), thumbnail->bitmap->pixelsHigh()) <
            shortSideAtLeast ||
        !hasTheShapeOf(*thumbnail->bitmap, picture)) {
        return std::nullopt;
    }
    thumbnail->pixelSize = picture;
    return thumbnail;
}

} // namespace orlix
