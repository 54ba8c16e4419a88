#include "ImageUtilsService/ImageQuantizer.h"

#include "Export/Codec/ColourQuantizer.h"
#include "ImageUtilsService/CompactPixels.h"

#include <libimagequant.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <optional>

namespace orlix {

namespace {

using imageutils::QuantizeReply;
using imageutils::QuantizeRequest;

struct AttributesDeleter {
    void operator()(liq_attr* attributes) const { liq_attr_destroy(attributes); }
};
struct ImageDeleter {
    void operator()(liq_image* image) const { liq_image_destroy(image); }
};
struct ResultDeleter {
    void operator()(liq_result* result) const { liq_result_destroy(result); }
};
struct QuantizerDeleter {
    void operator()(ColourQuantizer* quantizer) const { quantizerDestroy(quantizer); }
};

std::uint64_t pixelCount(const QuantizeRequest& request) {
    return std::uint64_t{request.width} * request.height;
}

void giveRow(liq_color rowOut[], int row, int, void* pixels) {
    static_cast<const CompactPixels*>(pixels)->row(static_cast<std::uint32_t>(row),
                                                   reinterpret_cast<std::uint8_t*>(rowOut));
}

} // namespace

QuantizeReply ImageQuantizer::quantize(QuantizeRequest&& request) {
    // Decoding guarantees pixels.size() == width × height × 4; a request built in process might
    // not.
    if (request.width == 0 || request.height == 0 || request.width > INT_MAX ||
        request.height > INT_MAX || request.pixels.size() != pixelCount(request) * 4) {
        return {};
    }
    const int colours = std::clamp<int>(request.paletteSize, 2, 256);
    return request.quantizer == QuantizeRequest::Quantizer::builtIn
               ? withBuiltInQuantizer(request, colours)
               : withImagequant(request, colours);
}

QuantizeReply ImageQuantizer::withImagequant(QuantizeRequest& request, int colours) {
    std::unique_ptr<liq_attr, AttributesDeleter> attributes(liq_attr_create());
    if (!attributes || liq_set_max_colors(attributes.get(), colours) != LIQ_OK ||
        liq_set_speed(attributes.get(), request.highQuality ? highQualitySpeed : standardSpeed) !=
            LIQ_OK) {
        return {};
    }
    // The library asks for the rows as it needs them, several times over, some from several
    // threads at once. Its maps of the picture take three bytes a pixel beside it, so the picture
    // is kept in as little as gives the rows back.
    std::optional<CompactPixels> pixels(std::in_place, std::move(request.pixels), request.width,
                                        request.height);
    std::unique_ptr<liq_image, ImageDeleter> image(liq_image_create_custom(
        attributes.get(), giveRow, &*pixels, static_cast<int>(request.width),
        static_cast<int>(request.height), 0));
    if (!image) {
        return {};
    }
    liq_result* rawResult = nullptr;
    if (liq_image_quantize(image.get(), attributes.get(), &rawResult) != LIQ_OK || !rawResult) {
        return {};
    }
    std::unique_ptr<liq_result, ResultDeleter> result(rawResult);
    if (liq_set_dithering_level(result.get(), request.dithered ? 1.0f : 0.0f) != LIQ_OK) {
        return {};
    }
    QuantizeReply reply;
    reply.palettizedPixels.resize(pixelCount(request));
    if (liq_write_remapped_image(result.get(), image.get(), reply.palettizedPixels.data(),
                                 reply.palettizedPixels.size()) != LIQ_OK) {
        return {};
    }
    image.reset();
    pixels.reset();
    // The palette is final only after remapping: dithering may adjust it.
    const liq_palette* palette = liq_get_palette(result.get());
    if (!palette || palette->count == 0 || palette->count > 256) {
        return {};
    }
    reply.palette.reserve(palette->count * 4);
    for (unsigned index = 0; index < palette->count; ++index) {
        const liq_color& colour = palette->entries[index];
        reply.palette.insert(reply.palette.end(), {colour.r, colour.g, colour.b, colour.a});
    }
    reply.hasResult = true;
    reply.success = true;
    return reply;
}

QuantizeReply ImageQuantizer::withBuiltInQuantizer(QuantizeRequest& request, int colours) {
    std::unique_ptr<ColourQuantizer, QuantizerDeleter> quantizer(quantizerCreate());
    const auto count = static_cast<std::int64_t>(pixelCount(request));
    if (!quantizer) {
        return {};
    }
    if (!request.hasAlpha) {
        quantizerDisableAlphaWeighting(quantizer.get());
    }
    if (!quantizerAddPixels(quantizer.get(), request.pixels.data(), count)) {
        return {};
    }
    if (request.highQuality) {
        quantizerQuantizeHighQuality(quantizer.get(), colours);
    } else {
        quantizerQuantize(quantizer.get(), colours);
    }
    QuantizeReply reply;
    reply.palette.resize(256 * 4);
    const int entries = quantizerGetPalette(quantizer.get(), reply.palette.data(), colours);
    if (entries <= 0) {
        return {};
    }
    reply.palette.resize(static_cast<std::size_t>(entries) * 4);
    reply.palettizedPixels.resize(pixelCount(request));
    const bool mapped =
        request.dithered
            ? quantizerMapPixelsDithered(quantizer.get(), request.width, request.height,
                                         request.pixels.data(), reply.palettizedPixels.data())
            : quantizerMapPixels(quantizer.get(), count, request.pixels.data(),
                                 reply.palettizedPixels.data());
    std::vector<std::uint8_t>().swap(request.pixels);
    if (!mapped) {
        return {};
    }
    reply.hasResult = true;
    reply.success = true;
    return reply;
}

} // namespace orlix
