#pragma once

#include "Export/ImageExporterOperation.h"
#include "Export/JPEGExportStatus.h"
#include "Model/JPEGExportConfig.h"

namespace orlix {

// Turns one export item into one JPEG file: read and resize, choose the quality, encode, check
// the result got smaller when nothing else was asked, and write without overwriting. Every end,
// failures included, is a status followed by the item's completion.
class JPEGImageExporterOperation : public ImageExporterOperation<JPEGExportStatus> {
public:
    JPEGImageExporterOperation(std::shared_ptr<ImageExportItem> exportItem,
                               JPEGExportConfig jpegExportConfig, StatusUpdater statusUpdater)
        : ImageExporterOperation(std::move(exportItem), std::move(statusUpdater))
        , jpegExportConfig_(jpegExportConfig) {}

protected:
    void exportImage() override;
    // The decoder's coefficients of a progressive file (up to 6 bytes a pixel, 8 for CMYK), which
    // shrink as the bitmap fills; then the bitmap (4) beside its resized copy, or beside the
    // encoder's coefficients (3) and the encoded file: 7.2 measured on a 4096 × 4096 photo.
    std::uint64_t memoryPerSourcePixel() const override { return 8; }

private:
    static std::uint8_t quality(const BitmapImageRepWithMetadata& image);

    // Carried for the record: the quality is forced by the user or chosen from the image.
    const JPEGExportConfig jpegExportConfig_;
};

} // namespace orlix
