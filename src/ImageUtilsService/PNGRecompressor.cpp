#include "ImageUtilsService/PNGRecompressor.h"

#include "ImageUtilsService/PNGChunkList.h"
#include "ImageUtilsService/PNGColourRewriter.h"
#include "ImageUtilsService/PNGPixelDecoder.h"
#include "ImageUtilsService/PNGRowFilter.h"
#include "ImageUtilsService/PNGRowLayout.h"
#include "ImageUtilsService/ZopfliCompressor.h"
#include "Platform/WorkerThreads.h"

#include <zlib.h>

#include <algorithm>
#include <limits>

namespace orlix {

namespace {

using Chunk = PNGChunkList::Chunk;
using Chunks = std::vector<Chunk>;

// The zlib level that ranks the candidates: fast, and ranks them much as Zopfli would.
constexpr int zlibEstimateLevel = 6;
// Zopfli costs a hundred times what zlib does, so it runs only on what zlib ranks best, and on the
// runner-up too when zlib finds them this close (in thousandths), since the two rank close
// candidates differently now and then; but only on image data of up to a megabyte, where the
// runner-up has won by a few percent, while on larger data it gained a few tenths of a percent at
// twice the time.
constexpr std::size_t zopfliCandidates = 2;
constexpr std::size_t closeEstimate = 10;
constexpr std::uint64_t runnerUpLimit = 1u << 20;

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

std::size_t deflatedSize(const std::vector<std::uint8_t>& raw) {
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::vector<Bytef> out(size);
    if (compress2(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()),
                  zlibEstimateLevel) != Z_OK) {
        return std::numeric_limits<std::size_t>::max();
    }
    return size;
}

std::span<const std::uint8_t> dataOf(std::span<const std::uint8_t> png, const Chunk& chunk) {
    return png.subspan(chunk.dataOffset(), chunk.length);
}

std::span<const std::uint8_t> dataOf(std::span<const std::uint8_t> png, const Chunks& chunks,
                                     const char* type) {
    const auto found = std::find_if(chunks.begin(), chunks.end(),
                                    [type](const Chunk& chunk) { return chunk.is(type); });
    return found == chunks.end() ? std::span<const std::uint8_t>() : dataOf(png, *found);
}

// The colour models the image may be rewritten in, or nothing when a chunk's meaning depends on
// the encoding. Chunks marked safe to copy never do; of the others only these few are known not
// to, and an ICC profile keeps the image grey or in colour.
std::optional<PNGColourRewriter::Models> rewritableModels(const Chunks& chunks,
                                                          unsigned colourType) {
    PNGColourRewriter::Models models;
    for (const Chunk& chunk : chunks) {
        const bool safeToCopy = (chunk.type[3] & 0x20) != 0;
        if (chunk.is("iCCP")) {
            models.grey = colourType == 0 || colourType == 4;
            models.colour = !models.grey;
        } else if (!safeToCopy && !chunk.is("IHDR") && !chunk.is("PLTE") && !chunk.is("tRNS") &&
                   !chunk.is("IDAT") && !chunk.is("IEND") && !chunk.is("gAMA") &&
                   !chunk.is("cHRM") && !chunk.is("sRGB") && !chunk.is("tIME")) {
            return std::nullopt;
        }
    }
    return models;
}

// The encodings to try: the file's own first, then those that store the same pixels otherwise.
std::vector<PNGEncoding> encodingsOf(std::span<const std::uint8_t> png, const Chunks& chunks,
                                     const PNGRowLayout& layout, std::vector<std::uint8_t> rows) {
    const auto header = dataOf(png, chunks.front());
    PNGEncoding own;
    std::copy(header.begin(), header.end(), own.header.begin());
    const auto palette = dataOf(png, chunks, "PLTE");
    const auto transparency = dataOf(png, chunks, "tRNS");
    own.palette.assign(palette.begin(), palette.end());
    own.transparency.assign(transparency.begin(), transparency.end());
    own.rows = std::move(rows);

    std::vector<PNGEncoding> encodings;
    const auto models = rewritableModels(chunks, header[9]);
    const bool affordable = layout.pixelCount() <= PNGColourRewriter::maxPixels;
    const auto pixels = models && affordable ? PNGPixelDecoder::decode(header, layout, own.rows,
                                                                       palette, transparency)
                                             : std::nullopt;
    encodings.push_back(std::move(own));
    if (pixels) {
        for (auto& other : PNGColourRewriter::alternatives(header, *pixels, *models)) {
            const PNGEncoding& first = encodings.front();
            if (other.header != first.header || other.palette != first.palette ||
                other.transparency != first.transparency) {
                encodings.push_back(std::move(other));
            }
        }
    }
    return encodings;
}

// One way of writing the image data: an encoding, and a filter strategy for its rows or none to
// keep the filters the file has.
struct Trial {
    std::size_t encoding = 0;
    std::optional<PNGRowFilter::Strategy> strategy;
    std::size_t estimate = 0;
};

class Trials {
public:
    Trials(const std::vector<PNGEncoding>& encodings, const std::vector<std::uint8_t>& ownFiltered)
        : encodings_(encodings)
        , ownFiltered_(ownFiltered) {
        trials_.push_back({});
        for (std::size_t encoding = 0; encoding < encodings.size(); ++encoding) {
            for (const auto strategy : PNGRowFilter::strategies) {
                trials_.push_back({encoding, strategy});
            }
        }
    }

    // The filtered rows of a trial, ready to compress.
    std::vector<std::uint8_t> filtered(const Trial& trial) const {
        if (!trial.strategy) {
            return ownFiltered_;
        }
        const PNGEncoding& encoding = encodings_[trial.encoding];
        return PNGRowFilter::filtered(encoding.rows, *PNGRowLayout::fromHeader(encoding.header),
                                      *trial.strategy);
    }

    // The few that zlib ranks smallest, counting the palette and transparency chunks too.
    std::vector<Trial> best() {
        WorkerThreads::forEach(trials_.size(), [this](std::size_t index) {
            Trial& trial = trials_[index];
            const PNGEncoding& encoding = encodings_[trial.encoding];
            trial.estimate = deflatedSize(filtered(trial)) + encoding.palette.size() +
                             encoding.transparency.size();
        });
        std::stable_sort(trials_.begin(), trials_.end(), [](const Trial& left, const Trial& right) {
            return left.estimate < right.estimate;
        });
        std::vector<Trial> best = {trials_.front()};
        const std::size_t candidates =
            rawSizeOf(best.front()) <= runnerUpLimit ? zopfliCandidates : 1;
        for (std::size_t index = 1; index < std::min(candidates, trials_.size()); ++index) {
            if (trials_[index].estimate * 1000 <= best.front().estimate * (1000 + closeEstimate)) {
                best.push_back(trials_[index]);
            }
        }
        return best;
    }

private:
    std::uint64_t rawSizeOf(const Trial& trial) const {
        return PNGRowLayout::fromHeader(encodings_[trial.encoding].header)->rawSize();
    }

    const std::vector<PNGEncoding>& encodings_;
    const std::vector<std::uint8_t>& ownFiltered_;
    std::vector<Trial> trials_;
};

// The file with new image data: the chunks around it as they were, but for a rewritten encoding
// a new header and palette and transparency chunks in place of the old, just before the data.
std::vector<std::uint8_t> assembled(std::span<const std::uint8_t> png, const Chunks& chunks,
                                    const PNGEncoding& encoding, bool rewritten,
                                    const std::vector<std::uint8_t>& data) {
    std::vector<std::uint8_t> out(PNGChunkList::signature.begin(), PNGChunkList::signature.end());
    PNGChunkList::append(out, "IHDR", encoding.header);
    bool dataWritten = false;
    for (const Chunk& chunk : chunks) {
        if (chunk.is("IHDR") || (rewritten && (chunk.is("PLTE") || chunk.is("tRNS")))) {
            continue;
        }
        if (!chunk.is("IDAT")) {
            out.insert(out.end(), png.begin() + static_cast<std::ptrdiff_t>(chunk.offset),
                       png.begin() + static_cast<std::ptrdiff_t>(chunk.end()));
            continue;
        }
        if (dataWritten) {
            continue;
        }
        dataWritten = true;
        if (rewritten && !encoding.palette.empty()) {
            PNGChunkList::append(out, "PLTE", encoding.palette);
        }
        if (rewritten && !encoding.transparency.empty()) {
            PNGChunkList::append(out, "tRNS", encoding.transparency);
        }
        for (std::size_t position = 0; position < data.size();) {
            const std::size_t length =
                std::min<std::size_t>(data.size() - position, PNGChunkList::maxLength);
            PNGChunkList::append(out, "IDAT",
                                 std::span<const std::uint8_t>(data).subspan(position, length));
            position += length;
        }
    }
    return out;
}

} // namespace

std::optional<std::uint64_t>
PNGRecompressor::rawSizeFromHeader(std::span<const std::uint8_t> ihdr) {
    const auto layout = PNGRowLayout::fromHeader(ihdr);
    return layout ? std::optional(layout->rawSize()) : std::nullopt;
}

std::optional<std::vector<std::uint8_t>>
PNGRecompressor::recompress(std::span<const std::uint8_t> png) {
    const auto chunks = PNGChunkList::parse(png);
    if (!chunks) {
        return std::nullopt;
    }
    const auto layout = PNGRowLayout::fromHeader(dataOf(png, chunks->front()));
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
        const auto data = dataOf(png, *chunk);
        compressed.insert(compressed.end(), data.begin(), data.end());
    }
    const auto raw = inflateExactly(compressed, static_cast<std::size_t>(layout->rawSize()));
    auto rows = raw ? PNGRowFilter::unfiltered(*raw, *layout) : std::nullopt;
    if (!rows) {
        return std::nullopt;
    }
    const std::vector<PNGEncoding> encodings = encodingsOf(png, *chunks, *layout, std::move(*rows));
    Trials trials(encodings, *raw);
    const std::vector<Trial> best = trials.best();
    std::vector<std::vector<std::uint8_t>> filtered;
    for (const Trial& trial : best) {
        filtered.push_back(trials.filtered(trial));
    }
    std::vector<const std::vector<std::uint8_t>*> inputs;
    for (const auto& data : filtered) {
        inputs.push_back(&data);
    }
    const auto streams = ZopfliCompressor::compress(inputs);

    std::vector<std::uint8_t> smallest(png.begin(), png.end());
    for (std::size_t index = 0; index < best.size(); ++index) {
        const std::size_t encoding = best[index].encoding;
        auto candidate =
            assembled(png, *chunks, encodings[encoding], encoding != 0, streams[index]);
        if (candidate.size() < smallest.size()) {
            smallest = std::move(candidate);
        }
    }
    return smallest;
}

} // namespace orlix
