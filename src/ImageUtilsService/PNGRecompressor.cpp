#include "ImageUtilsService/PNGRecompressor.h"

#include "ImageUtilsService/PNGRowFilter.h"
#include "ImageUtilsService/PNGRowLayout.h"
#include "Platform/ProcessorInfo.h"

#include <zlib.h>
#include <zopfli/deflate.h>
#include <zopfli/zopfli.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <system_error>
#include <thread>

namespace orlix {

namespace {

constexpr std::array<std::uint8_t, 8> signature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::uint32_t maxChunkLength = 0x7FFFFFFF;
// Length, type and CRC around a chunk's data.
constexpr std::size_t chunkOverhead = 12;
// Zopfli's own master block size: its block splitting sees no further than this anyway.
constexpr std::size_t masterBlockSize = 1'000'000;
// Smaller data is still cut into parts of at least this size, one a thread, since it gets the
// most iterations: a cut costs a few bytes, a single thread seconds.
constexpr std::size_t smallestPartSize = 256'000;
// Other exports run at the same time; a few threads per image are enough for a short wait.
constexpr std::size_t maxZopfliThreads = 4;
// The zlib level that ranks the row filter strategies: fast, and ranks them as Zopfli would.
constexpr int zlibEstimateLevel = 6;

struct Chunk {
    std::size_t offset; // of the length field
    std::uint32_t length;
    std::array<char, 4> type;

    bool is(const char* name) const { return std::memcmp(type.data(), name, 4) == 0; }
    std::size_t dataOffset() const { return offset + 8; }
    std::size_t end() const { return offset + chunkOverhead + length; }
};

std::uint32_t loadBigEndian(const std::uint8_t* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) << 24 | static_cast<std::uint32_t>(bytes[1]) << 16 |
           static_cast<std::uint32_t>(bytes[2]) << 8 | bytes[3];
}

void putBigEndian(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

// The chunks up to and including IEND, or nothing when a length runs past the end, IHDR is not
// first or IEND is missing. Bytes after IEND are dropped.
std::optional<std::vector<Chunk>> parseChunks(std::span<const std::uint8_t> png) {
    if (png.size() < signature.size() ||
        !std::equal(signature.begin(), signature.end(), png.begin())) {
        return std::nullopt;
    }
    std::vector<Chunk> chunks;
    std::size_t position = signature.size();
    while (png.size() - position >= chunkOverhead) {
        Chunk chunk{position, loadBigEndian(png.data() + position), {}};
        std::memcpy(chunk.type.data(), png.data() + position + 4, 4);
        if (chunk.length > maxChunkLength || chunk.length > png.size() - position - chunkOverhead) {
            return std::nullopt;
        }
        if (chunks.empty() != chunk.is("IHDR")) {
            return std::nullopt;
        }
        chunks.push_back(chunk);
        position = chunk.end();
        if (chunk.is("IEND")) {
            return chunks;
        }
    }
    return std::nullopt;
}

// Inflates exactly `expected` bytes; nothing when the stream is broken, ends early or holds more.
std::optional<std::vector<std::uint8_t>> inflateExactly(const std::vector<std::uint8_t>& compressed,
                                                        std::size_t expected) {
    if (compressed.size() > std::numeric_limits<uInt>::max() ||
        expected >= std::numeric_limits<uInt>::max()) {
        return std::nullopt;
    }
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) {
        return std::nullopt;
    }
    // One spare byte tells a stream that holds more than the header implies from an exact one.
    std::vector<std::uint8_t> raw(expected + 1);
    stream.next_in = const_cast<Bytef*>(compressed.data());
    stream.avail_in = static_cast<uInt>(compressed.size());
    stream.next_out = raw.data();
    stream.avail_out = static_cast<uInt>(raw.size());
    int status = Z_OK;
    while (status == Z_OK) {
        status = inflate(&stream, Z_NO_FLUSH);
    }
    const std::size_t produced = stream.total_out;
    inflateEnd(&stream);
    if (status != Z_STREAM_END || produced != expected) {
        return std::nullopt;
    }
    raw.resize(expected);
    return raw;
}

// Compresses [start, end) of `raw` as deflate blocks that may use the data before `start` as
// their window, ending byte-aligned: a part that is not the last gets an empty stored block,
// which is how deflate pads to a byte boundary mid-stream.
std::vector<std::uint8_t> deflatePart(const ZopfliOptions& options,
                                      const std::vector<std::uint8_t>& raw, std::size_t start,
                                      std::size_t end, bool last) {
    unsigned char bitPosition = 0;
    unsigned char* output = nullptr;
    std::size_t outputSize = 0;
    ZopfliDeflatePart(&options, 2, last ? 1 : 0, raw.data(), start, end, &bitPosition, &output,
                      &outputSize);
    std::unique_ptr<unsigned char, decltype(&std::free)> owned(output, &std::free);
    std::vector<std::uint8_t> part(output, output + outputSize);
    if (!last) {
        // BFINAL 0 and BTYPE 00 are three zero bits; the rest of their byte is padding.
        if (bitPosition == 0 || bitPosition > 5) {
            part.push_back(0);
        }
        part.insert(part.end(), {0x00, 0x00, 0xFF, 0xFF});
    }
    return part;
}

// Zopfli in zlib format. Zopfli itself works through its input in master blocks one after the
// other; the same blocks compressed on several threads give the same kind of stream (a few bytes
// longer) in a fraction of the time, which is what makes a multi-megapixel image take seconds
// rather than a minute.
std::vector<std::uint8_t> zopfliCompress(const std::vector<std::uint8_t>& raw) {
    ZopfliOptions options;
    ZopfliInitOptions(&options);
    options.numiterations = PNGRecompressor::iterationsFor(raw.size());

    const std::size_t partSize = std::clamp((raw.size() + maxZopfliThreads - 1) / maxZopfliThreads,
                                            smallestPartSize, masterBlockSize);
    const std::size_t partCount = std::max<std::size_t>(1, (raw.size() + partSize - 1) / partSize);
    std::vector<std::vector<std::uint8_t>> parts(partCount);
    std::atomic<std::size_t> nextPart{0};
    const auto work = [&] {
        for (std::size_t index = nextPart++; index < partCount; index = nextPart++) {
            const std::size_t start = index * partSize;
            const std::size_t end = std::min(raw.size(), start + partSize);
            parts[index] = deflatePart(options, raw, start, end, index + 1 == partCount);
        }
    };
    const std::size_t threadCount =
        std::min<std::size_t>({partCount, maxZopfliThreads,
                               static_cast<std::size_t>(ProcessorInfo::activeProcessorCount())});
    std::vector<std::thread> helpers;
    for (std::size_t index = 1; index < threadCount; ++index) {
        try {
            helpers.emplace_back(work);
        } catch (const std::system_error&) {
            break; // fewer threads only make it slower
        }
    }
    work();
    for (auto& helper : helpers) {
        helper.join();
    }

    // 0x78 0xDA: deflate with a 32 KiB window at maximum compression, as zlib writes it.
    std::vector<std::uint8_t> out = {0x78, 0xDA};
    for (const auto& part : parts) {
        out.insert(out.end(), part.begin(), part.end());
    }
    putBigEndian(out, static_cast<std::uint32_t>(adler32_z(1, raw.data(), raw.size())));
    return out;
}

std::size_t deflatedSize(const std::vector<std::uint8_t>& raw) {
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::vector<Bytef> out(size);
    if (compress2(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()),
                  zlibEstimateLevel) != Z_OK) {
        return std::numeric_limits<std::size_t>::max();
    }
    return size;
}

// The writer's filters or one of the strategies, whichever zlib compresses smallest: Zopfli keeps
// that ranking, and costs far more than zlib, so it runs only on the winner.
std::vector<std::uint8_t> bestFiltered(const std::vector<std::uint8_t>& raw,
                                       const std::vector<std::uint8_t>& rows,
                                       const PNGRowLayout& layout) {
    std::vector<std::uint8_t> best = raw;
    std::size_t bestSize = deflatedSize(raw);
    for (const PNGRowFilter::Strategy strategy : PNGRowFilter::strategies) {
        std::vector<std::uint8_t> candidate = PNGRowFilter::filtered(rows, layout, strategy);
        const std::size_t size = deflatedSize(candidate);
        if (size < bestSize) {
            bestSize = size;
            best = std::move(candidate);
        }
    }
    return best;
}

void appendIdatChunks(std::vector<std::uint8_t>& out, const std::vector<std::uint8_t>& data) {
    std::size_t position = 0;
    do {
        const std::size_t length = std::min<std::size_t>(data.size() - position, maxChunkLength);
        putBigEndian(out, static_cast<std::uint32_t>(length));
        const std::size_t typeOffset = out.size();
        out.insert(out.end(), {'I', 'D', 'A', 'T'});
        out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(position),
                   data.begin() + static_cast<std::ptrdiff_t>(position + length));
        putBigEndian(out, static_cast<std::uint32_t>(
                              crc32_z(0, out.data() + typeOffset, out.size() - typeOffset)));
        position += length;
    } while (position < data.size());
}

} // namespace

std::optional<std::uint64_t>
PNGRecompressor::rawSizeFromHeader(std::span<const std::uint8_t> ihdr) {
    const auto layout = PNGRowLayout::fromHeader(ihdr);
    return layout ? std::optional(layout->rawSize()) : std::nullopt;
}

int PNGRecompressor::iterationsFor(std::size_t rawSize) {
    // Zopfli's time grows with size × iterations, while what extra iterations gain shrinks; these
    // steps keep a 2-megapixel image at a few seconds (see the measurements in the tests).
    if (rawSize <= (1u << 20)) {
        return 15;
    }
    if (rawSize <= (4u << 20)) {
        return 5;
    }
    if (rawSize <= (16u << 20)) {
        return 2;
    }
    return 1;
}

std::optional<std::vector<std::uint8_t>>
PNGRecompressor::recompress(std::span<const std::uint8_t> png) {
    const auto chunks = parseChunks(png);
    if (!chunks) {
        return std::nullopt;
    }
    const Chunk& header = chunks->front();
    const auto layout = PNGRowLayout::fromHeader(png.subspan(header.dataOffset(), header.length));
    const auto isIdat = [](const Chunk& chunk) { return chunk.is("IDAT"); };
    const auto first = std::find_if(chunks->begin(), chunks->end(), isIdat);
    const auto afterLast = std::find_if_not(first, chunks->end(), isIdat);
    if (!layout || first == chunks->end() || std::any_of(afterLast, chunks->end(), isIdat)) {
        return std::nullopt;
    }
    if (layout->rawSize() > rawSizeLimit) {
        return std::vector<std::uint8_t>(png.begin(), png.end());
    }

    std::vector<std::uint8_t> compressed;
    for (auto chunk = first; chunk != afterLast; ++chunk) {
        const auto data = png.subspan(chunk->dataOffset(), chunk->length);
        compressed.insert(compressed.end(), data.begin(), data.end());
    }
    const auto raw = inflateExactly(compressed, static_cast<std::size_t>(layout->rawSize()));
    const auto rows = raw ? PNGRowFilter::unfiltered(*raw, *layout) : std::nullopt;
    if (!rows) {
        return std::nullopt;
    }
    const std::vector<std::uint8_t> recompressed =
        zopfliCompress(bestFiltered(*raw, *rows, *layout));

    const std::size_t headEnd = first->offset;
    const std::size_t tailBegin = std::prev(afterLast)->end();
    const std::size_t tailEnd = chunks->back().end();
    std::vector<std::uint8_t> out;
    out.reserve(headEnd + recompressed.size() + chunkOverhead + (tailEnd - tailBegin));
    out.insert(out.end(), png.begin(), png.begin() + static_cast<std::ptrdiff_t>(headEnd));
    appendIdatChunks(out, recompressed);
    out.insert(out.end(), png.begin() + static_cast<std::ptrdiff_t>(tailBegin),
               png.begin() + static_cast<std::ptrdiff_t>(tailEnd));
    if (out.size() >= png.size()) {
        return std::vector<std::uint8_t>(png.begin(), png.end());
    }
    return out;
}

} // namespace orlix
