#pragma once

#include "Export/BitmapImageRep.h"
#include "Export/ImageUtilsProtocol.h"
#include "Export/QuantizationResult.h"
#include "Model/ImagePixelSize.h"
#include "Model/PNGExportConfig.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

namespace orlix {

// The export engine's side of the image-utilities service: palette quantisation and Zopfli
// recompression run in orlix-image-utils, one connection per call, and every outcome of the
// service or the connection becomes success, cancelled or failure. A reply is trusted only as far
// as it fits the image it answers.
class ImageUtilsClient {
public:
    // True while the work may go on.
    using ShouldContinue = std::function<bool()>;

    struct ZopfliResult {
        enum class Kind { success, failure, cancelled };
        Kind kind;
        std::vector<std::uint8_t> data;
    };

    // A palette of at most 256 dithered colours and one index per pixel of the bitmap. The bitmap
    // is let go once the request carries its pixels: when the caller holds it no longer, its
    // memory is free while the service works.
    static QuantizationResult quantize(std::shared_ptr<const BitmapImageRep> bitmap,
                                       const PNGExportConfig& config,
                                       const ShouldContinue& shouldContinue);
    // The PNG recompressed with Zopfli, pixels unchanged.
    static ZopfliResult zopfli(std::span<const std::uint8_t> png,
                               const ShouldContinue& shouldContinue);
    // Stops the service at once; calls in flight end cancelled.
    static void terminate();

    // Which quantiser the service uses; the benchmark compares them.
    static void setQuantizer(imageutils::QuantizeRequest::Quantizer quantizer);

    // What the service's answer to quantising a bitmap of `size` makes: a result only from a
    // well-formed reply whose palette and indices fit it.
    static QuantizationResult quantizationFromReply(const imageutils::Frame& answer,
                                                    ImagePixelSize size,
                                                    const ShouldContinue& shouldContinue);
    // What the service's answer to a recompression makes: a result only from a well-formed reply
    // that reports success with a file.
    static ZopfliResult zopfliFromReply(const imageutils::Frame& answer,
                                        const ShouldContinue& shouldContinue);

private:
    static bool fits(const imageutils::QuantizeReply& reply, std::uint64_t pixelCount);
};

} // namespace orlix
