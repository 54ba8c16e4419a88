#include "Export/ImageUtilsClient.h"

#include "Export/ImageUtilsConnection.h"
#include "Export/UnpremultipliedPixels.h"

#include <algorithm>
#include <atomic>

namespace orlix {

namespace {

using imageutils::QuantizeReply;
using imageutils::QuantizeRequest;

std::atomic<QuantizeRequest::Quantizer> chosenQuantizer{QuantizeRequest::Quantizer::imagequant};

// The export always asks for the fullest dithered palette; the settings' own palette size and
// dither flag are not used.
constexpr std::uint16_t requestedPaletteSize = 256;

// A call that got no answer was cancelled only when Orlix itself ended the service or the work
// was cancelled meanwhile; a call that lost its service a second time is a failure, so that the
// image is reported, not silently missing.
bool endedByCancel(ImageUtilsConnection::Failure failure, bool workGoesOn) {
    using Failure = ImageUtilsConnection::Failure;
    return failure == Failure::terminated || (failure == Failure::failed && !workGoesOn);
}

QuantizationResult ended(CancellableResult result) {
    QuantizationResult ending;
    ending.result = std::move(result);
    return ending;
}

} // namespace

void ImageUtilsClient::setQuantizer(QuantizeRequest::Quantizer quantizer) {
    chosenQuantizer = quantizer;
}

QuantizationResult ImageUtilsClient::quantize(std::shared_ptr<const BitmapImageRep> bitmap,
                                              const PNGExportConfig& config,
                                              const ShouldContinue& shouldContinue) {
    const auto keepGoing = [&] { return !shouldContinue || shouldContinue(); };
    QuantizeRequest request;
    request.highQuality = config.highQuality;
    request.dithered = true;
    request.paletteSize = requestedPaletteSize;
    request.width = bitmap->pixelsWide();
    request.height = bitmap->pixelsHigh();
    // The bitmap's own flag: an opaque picture is sent as such although its samples carry alpha.
    request.hasAlpha = bitmap->hasAlpha();
    request.quantizer = chosenQuantizer;
    if (request.width == 0 || request.height == 0) {
        return ended(CancellableResult::failure());
    }
    if (bitmap->info() != CoarseBitmapInfo::rgbaSRGB()) {
        bitmap = bitmap->redrawnAsRGBA();
        if (!bitmap) {
            return ended(CancellableResult::failure());
        }
    }
    auto extraction = CancellableResult::failure();
    auto frame = request.encode([&](std::uint32_t firstRow, std::span<std::uint8_t> room) {
        extraction = UnpremultipliedPixels::extract(*bitmap, room, shouldContinue, firstRow);
        // The request carries these rows from here on: unless the caller still holds the bitmap,
        // their memory goes as the request's grows.
        const auto rows = static_cast<std::uint32_t>(room.size() / bitmap->bytesPerRow());
        BitmapImageRep::discardRows(bitmap, firstRow, firstRow + rows);
        return extraction.kind() == CancellableResult::Kind::success;
    });
    // The rest of the bitmap goes before the wait for the service, unless the caller holds it.
    bitmap.reset();
    if (!frame) {
        return ended(extraction);
    }
    if (!keepGoing()) {
        return ended(CancellableResult::cancelled());
    }
    const auto answer = ImageUtilsConnection::call(*frame, keepGoing);
    frame.reset();
    if (!answer) {
        return ended(endedByCancel(answer.error(), keepGoing()) ? CancellableResult::cancelled()
                                                                : CancellableResult::failure());
    }
    return quantizationFromReply(*answer, {request.width, request.height}, shouldContinue);
}

bool ImageUtilsClient::fits(const QuantizeReply& reply, std::uint64_t pixelCount) {
    const std::size_t entries = reply.palette.size() / 4;
    if (reply.palette.size() % 4 != 0 || entries == 0 || entries > UINT16_MAX ||
        reply.palettizedPixels.size() != pixelCount) {
        return false;
    }
    // An index past the palette would make a PNG no reader accepts.
    return std::all_of(reply.palettizedPixels.begin(), reply.palettizedPixels.end(),
                       [&](std::uint8_t index) { return index < entries; });
}

QuantizationResult ImageUtilsClient::quantizationFromReply(const imageutils::Frame& answer,
                                                           ImagePixelSize size,
                                                           const ShouldContinue& shouldContinue) {
    const auto keepGoing = [&] { return !shouldContinue || shouldContinue(); };
    auto reply = QuantizeReply::decode(answer);
    // The reply's own success flag is not consulted: a palette and indices that fit are a result.
    if (!reply || !reply->hasResult || !fits(*reply, size.area())) {
        return ended(CancellableResult::failure());
    }
    if (!keepGoing()) {
        return ended(CancellableResult::cancelled());
    }
    QuantizationResult result;
    result.palette = std::move(reply->palette);
    if (!keepGoing()) {
        return ended(CancellableResult::cancelled());
    }
    result.palettizedPixels = std::move(reply->palettizedPixels);
    result.result = CancellableResult::success();
    result.width = size.width;
    result.height = size.height;
    result.paletteSize = std::uint16_t(result.palette.size() / 4);
    return result;
}

ImageUtilsClient::ZopfliResult ImageUtilsClient::zopfli(std::span<const std::uint8_t> png,
                                                        const ShouldContinue& shouldContinue) {
    const auto keepGoing = [&] { return !shouldContinue || shouldContinue(); };
    using Kind = ZopfliResult::Kind;
    if (!keepGoing()) {
        return {Kind::cancelled, {}};
    }
    const auto frame = imageutils::ZopfliRequest{{png.begin(), png.end()}}.encode();
    if (!keepGoing()) {
        return {Kind::cancelled, {}};
    }
    const auto answer = ImageUtilsConnection::call(frame, keepGoing);
    if (!answer) {
        return {endedByCancel(answer.error(), keepGoing()) ? Kind::cancelled : Kind::failure, {}};
    }
    return zopfliFromReply(*answer, shouldContinue);
}

ImageUtilsClient::ZopfliResult
ImageUtilsClient::zopfliFromReply(const imageutils::Frame& answer,
                                  const ShouldContinue& shouldContinue) {
    using Kind = ZopfliResult::Kind;
    auto reply = imageutils::ZopfliReply::decode(answer);
    if (!reply || !reply->success || reply->png.empty()) {
        return {Kind::failure, {}};
    }
    if (shouldContinue && !shouldContinue()) {
        return {Kind::cancelled, {}};
    }
    return {Kind::success, std::move(reply->png)};
}

void ImageUtilsClient::terminate() {
    ImageUtilsConnection::terminate();
}

} // namespace orlix
