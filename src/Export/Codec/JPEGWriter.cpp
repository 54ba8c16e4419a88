#include "Export/Codec/JPEGWriter.h"

#include "Export/Codec/CoefficientArrays.h"
#include "Export/Codec/DensityRule.h"
#include "Export/Codec/JPEGErrorRecovery.h"

// jpeglib.h needs FILE and size_t declared before it.
#include <cstddef>
#include <cstdio>

#include <jerror.h>
#include <jpeglib.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdlib>
#include <limits>
#include <new>
#include <utility>
#include <vector>

namespace orlix {

namespace {

constexpr double dotsPerInchAtOnePixelPerPoint = 72.0;
constexpr std::size_t initialOutputCapacity = 64 * 1024;

// A malloc'd output buffer of our own rather than the library's memory destination, whose buffer
// cannot be released safely once an error has interrupted it.
struct MemoryDestination {
    jpeg_destination_mgr manager;
    unsigned char* data = nullptr;
    std::size_t capacity = 0;
    std::size_t length = 0;
};

MemoryDestination& memoryDestination(j_compress_ptr info) {
    return *reinterpret_cast<MemoryDestination*>(info->dest);
}

// Keeps the bytes written so far and makes room for as many again.
void growOutput(j_compress_ptr info, std::size_t used) {
    MemoryDestination& destination = memoryDestination(info);
    const std::size_t capacity =
        destination.capacity == 0 ? initialOutputCapacity : destination.capacity * 2;
    void* grown = std::realloc(destination.data, capacity);
    if (grown == nullptr) {
        ERREXIT1(info, JERR_OUT_OF_MEMORY, 0);
    }
    destination.data = static_cast<unsigned char*>(grown);
    destination.capacity = capacity;
    destination.manager.next_output_byte = destination.data + used;
    destination.manager.free_in_buffer = capacity - used;
}

void startOutput(j_compress_ptr info) {
    growOutput(info, 0);
}

// Called only when the buffer is full.
boolean continueOutput(j_compress_ptr info) {
    growOutput(info, memoryDestination(info).capacity);
    return TRUE;
}

void finishOutput(j_compress_ptr info) {
    MemoryDestination& destination = memoryDestination(info);
    destination.length = destination.capacity - destination.manager.free_in_buffer;
}

UINT16 dotsPerInch(double density) {
    const double value = std::round(density * dotsPerInchAtOnePixelPerPoint);
    if (!(value > 0.0)) {
        return 0;
    }
    constexpr auto largest = std::numeric_limits<UINT16>::max();
    return value >= largest ? largest : static_cast<UINT16>(value);
}

struct JPEGImage {
    const std::uint8_t* samples;
    int components;
    // The components, plus alpha when the pixels carry it.
    int inputSamples;
    std::uint8_t quality;
    std::uint32_t width;
    std::uint32_t height;
    double xDensity;
    double yDensity;
    const std::function<void(std::uint32_t)>* rowsTaken;
};

// The compressor and everything the library writes through, kept outside the function that holds
// the recovery point so that nothing it changes is lost when the library jumps back.
struct JPEGJob {
    JPEGImage image;
    JPEGErrorRecovery errors{};
    jpeg_compress_struct compressor{};
    MemoryDestination destination{};
    // A progressive file's coefficients, held until its last scan is written.
    CoefficientArrays coefficients;
    // One row without alpha, made before the recovery point so that a jump back loses nothing.
    std::vector<std::uint8_t> row;

    explicit JPEGJob(const JPEGImage& image)
        : image(image)
        , row(std::size_t{image.width} * image.components) {
        destination.manager.init_destination = startOutput;
        destination.manager.empty_output_buffer = continueOutput;
        destination.manager.term_destination = finishOutput;
    }
    JPEGJob(const JPEGJob&) = delete;
    JPEGJob& operator=(const JPEGJob&) = delete;
    ~JPEGJob() {
        jpeg_destroy_compress(&compressor);
        std::free(destination.data);
    }
};

// Whether the library takes the rows as they are stored: without alpha, or colour with alpha.
bool readsAsStored(const JPEGImage& image) {
    return image.inputSamples == image.components ||
           (image.components == 3 && image.inputSamples == 4);
}

void describeImage(jpeg_compress_struct& compressor, const JPEGImage& image) {
    compressor.image_width = image.width;
    compressor.image_height = image.height;
    // Colour with alpha is read as it is, the fourth sample passed over, as the library can.
    const bool skipsAlpha = readsAsStored(image) && image.inputSamples != image.components;
    compressor.input_components = skipsAlpha ? image.inputSamples : image.components;
    compressor.in_color_space = image.components == 1 ? JCS_GRAYSCALE
                                : skipsAlpha          ? JCS_EXT_RGBX
                                                      : JCS_RGB;
    jpeg_set_defaults(&compressor);
    if (shouldRecordDensity(image.xDensity, image.yDensity)) {
        compressor.density_unit = 1;
        compressor.X_density = dotsPerInch(image.xDensity);
        compressor.Y_density = dotsPerInch(image.yDensity);
    }
    jpeg_set_quality(&compressor, image.quality, TRUE);
    jpeg_simple_progression(&compressor);
}

// The row as the encoder takes it: the pixels' own when the library reads them as stored, else a
// copy of the grey samples. Copying a row at a time keeps a second full-size image out of memory.
JSAMPROW samplesOfRow(JPEGJob& job, JDIMENSION y) {
    const JPEGImage& image = job.image;
    const std::size_t inputStride = static_cast<std::size_t>(image.inputSamples);
    const std::uint8_t* input = image.samples + std::size_t{y} * image.width * inputStride;
    if (readsAsStored(image)) {
        return const_cast<JSAMPROW>(input);
    }
    std::uint8_t* output = job.row.data();
    for (std::uint32_t x = 0; x < image.width; ++x, input += inputStride) {
        output = std::copy(input, input + image.components, output);
    }
    return job.row.data();
}

// Runs between the recovery point and a possible library error: holds no object with a
// destructor, since a jump back would skip it.
void compress(JPEGJob& job) {
    jpeg_compress_struct& compressor = job.compressor;
    compressor.err = job.errors.install();
    jpeg_create_compress(&compressor);
    job.coefficients.install(*reinterpret_cast<j_common_ptr>(&compressor), {},
                             std::numeric_limits<std::size_t>::max());
    compressor.dest = &job.destination.manager;
    describeImage(compressor, job.image);
    jpeg_start_compress(&compressor, TRUE);
    while (compressor.next_scanline < compressor.image_height) {
        JSAMPROW row = samplesOfRow(job, compressor.next_scanline);
        jpeg_write_scanlines(&compressor, &row, 1);
        if (*job.image.rowsTaken) {
            (*job.image.rowsTaken)(compressor.next_scanline);
        }
    }
    jpeg_finish_compress(&compressor);
}

bool compressWithRecovery(JPEGJob& job) {
    if (setjmp(job.errors.recovery) != 0) {
        return false;
    }
    compress(job);
    return true;
}

bool fitsTheWriter(std::uint32_t width, std::uint32_t height, int inputSamples) {
    return width <= JPEG_MAX_DIMENSION && height <= JPEG_MAX_DIMENSION &&
           std::uint64_t{width} * height * static_cast<std::uint64_t>(inputSamples) <=
               std::numeric_limits<std::uint32_t>::max();
}

} // namespace

bool encodeJPEG(const std::uint8_t* pixels, bool greyscale, bool hasAlpha, std::uint8_t quality,
                std::uint32_t width, std::uint32_t height, unsigned char** outputData,
                unsigned long* outputLength, double xDensity, double yDensity,
                const std::function<void(std::uint32_t rowsTaken)>& rowsTaken) {
    *outputData = nullptr;
    *outputLength = 0;
    const int components = greyscale ? 1 : 3;
    if (pixels == nullptr || !fitsTheWriter(width, height, components + (hasAlpha ? 1 : 0))) {
        return false;
    }
    try {
        JPEGJob job({pixels, components, components + (hasAlpha ? 1 : 0), quality, width, height,
                     xDensity, yDensity, &rowsTaken});
        if (!compressWithRecovery(job)) {
            return false;
        }
        *outputLength = job.destination.length;
        *outputData = std::exchange(job.destination.data, nullptr);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

} // namespace orlix
