#include "ImageUtilsService/ZopfliCompressor.h"

#include "Platform/WorkerThreads.h"

#include <zlib.h>
#include <zopfli/deflate.h>
#include <zopfli/zopfli.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace orlix {

namespace {

// Zopfli's own master block size: its block splitting sees no further than this anyway.
constexpr std::size_t masterBlockSize = 1'000'000;
// Smaller data is still cut into parts of at least this size, since it gets the most iterations:
// a cut costs a few bytes, a single thread seconds.
constexpr std::size_t smallestPartSize = 64'000;
// Parts of one picture can take twice as long as each other; two a thread keep the threads busy
// to the end.
constexpr std::size_t partsPerInput = 2 * WorkerThreads::maxThreads;

struct Part {
    std::size_t input;
    std::size_t start;
    std::size_t end;
};

// Compresses [start, end) of `raw` as deflate blocks that may use the data before `start` as
// their window, ending byte-aligned: a part that is not the last gets an empty stored block,
// which is how deflate pads to a byte boundary mid-stream.
std::vector<std::uint8_t> deflatePart(const std::vector<std::uint8_t>& raw, std::size_t start,
                                      std::size_t end) {
    ZopfliOptions options;
    ZopfliInitOptions(&options);
    options.numiterations = ZopfliCompressor::iterationsFor(raw.size());
    const bool last = end == raw.size();
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

std::vector<Part> partsOf(const std::vector<const std::vector<std::uint8_t>*>& inputs) {
    std::vector<Part> parts;
    for (std::size_t input = 0; input < inputs.size(); ++input) {
        const std::size_t size = inputs[input]->size();
        const std::size_t partSize = std::clamp((size + partsPerInput - 1) / partsPerInput,
                                                smallestPartSize, masterBlockSize);
        std::size_t start = 0;
        do {
            const std::size_t end = std::min(size, start + partSize);
            parts.push_back({input, start, end});
            start = end;
        } while (start < size);
    }
    return parts;
}

} // namespace

int ZopfliCompressor::iterationsFor(std::size_t size) {
    // Zopfli's time grows with size × iterations, while what extra iterations gain shrinks; these
    // steps keep a 2-megapixel image at a few seconds.
    if (size <= (1u << 20)) {
        return 15;
    }
    if (size <= (4u << 20)) {
        return 5;
    }
    if (size <= (16u << 20)) {
        return 2;
    }
    return 1;
}

std::vector<std::vector<std::uint8_t>>
ZopfliCompressor::compress(const std::vector<const std::vector<std::uint8_t>*>& inputs) {
    const std::vector<Part> parts = partsOf(inputs);
    std::vector<std::vector<std::uint8_t>> compressed(parts.size());
    WorkerThreads::forEach(parts.size(), [&](std::size_t index) {
        const Part& part = parts[index];
        compressed[index] = deflatePart(*inputs[part.input], part.start, part.end);
    });

    std::vector<std::vector<std::uint8_t>> out(inputs.size());
    for (std::size_t input = 0; input < inputs.size(); ++input) {
        // 0x78 0xDA: deflate with a 32 KiB window at maximum compression, as zlib writes it.
        out[input] = {0x78, 0xDA};
    }
    for (std::size_t index = 0; index < parts.size(); ++index) {
        auto& stream = out[parts[index].input];
        stream.insert(stream.end(), compressed[index].begin(), compressed[index].end());
    }
    for (std::size_t input = 0; input < inputs.size(); ++input) {
        const auto& raw = *inputs[input];
        const auto checksum = static_cast<std::uint32_t>(adler32_z(1, raw.data(), raw.size()));
        for (int shift = 24; shift >= 0; shift -= 8) {
            out[input].push_back(static_cast<std::uint8_t>(checksum >> shift));
        }
    }
    return out;
}

} // namespace orlix
