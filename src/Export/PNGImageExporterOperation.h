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

private:
    void exportGrey(const BitmapImageRepWithMetadata& image);
    void exportQuantized(const BitmapImageRepWithMetadata& image);
    void quantizationEnded(const QuantizationResult& result,
                           const BitmapImageRepWithMetadata& image);
    // Takes over the encoder's malloc'd buffer; a false `encoded` means the encoder failed.
    void encoded(bool encoded, std::uint8_t* data, std::uint32_t length);
    void finish(std::span<const std::uint8_t> png);

    const PNGExportConfig pngExportConfig_;
};

} // namespace orlix
