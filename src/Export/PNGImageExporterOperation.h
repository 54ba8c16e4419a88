#pragma once

#include "Export/ImageExporterOperation.h"
#include "Export/PNGExportStatus.h"
#include "Export/QuantizationResult.h"
#include "Model/PNGExportConfig.h"

#include <cstdint>
#include <span>

namespace orlix {

// Turns one export item into one PNG file: read and resize, reduce the colours to a palette in the
// image-utilities service (a grey picture without alpha stays grey), encode, optionally recompress
// with Zopfli, check the result got smaller when nothing else was asked, and write without
// overwriting. Every end, failures included, is a status followed by the item's completion.
class PNGImageExporterOperation : public ImageExporterOperation<PNGExportStatus> {
public:
    PNGImageExporterOperation(std::shared_ptr<ImageExportItem> exportItem,
                              PNGExportConfig pngExportConfig, StatusUpdater statusUpdater)
        : ImageExporterOperation(std::move(exportItem), std::move(statusUpdater))
        , pngExportConfig_(pngExportConfig) {}

protected:
    void exportImage() override;
    // Here at most 8 bytes a pixel at once, a resize's source beside its result: the decoded
    // bitmap goes as its unpremultiplied copy fills the request. Then the request (4) waits here
    // while the service keeps its pixels (at most 4, fewer when they allow), libimagequant's maps
    // of the picture (3) and its histogram, which a colourful photo makes as large again: 13.4
    // measured on a 5120 × 2880 photo of 1.3 million colours, 9.2 on an illustration of 72,000.
    std::uint64_t memoryPerSourcePixel() const override { return 14; }

private:
    void exportGrey(const BitmapImageRepWithMetadata& image);
    void exportQuantized(std::shared_ptr<const BitmapImageRepWithMetadata> image);
    void quantizationEnded(const QuantizationResult& result, const PixelDensity& density);
    // Takes over the encoder's malloc'd buffer; a false `encoded` means the encoder failed.
    void encoded(bool encoded, std::uint8_t* data, std::uint32_t length);
    void finish(std::span<const std::uint8_t> png);

    const PNGExportConfig pngExportConfig_;
};

} // namespace orlix
