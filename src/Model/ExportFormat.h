#pragma once

#include "Model/JPEGExportConfig.h"
#include "Model/PNGExportConfig.h"
#include "Model/UIExportFormat.h"
#include "Platform/PropertyList.h"
#include "Platform/Url.h"

#include <optional>

namespace orlix {

// The output format: always PNG, always JPEG, or the input's own format (a PNG input is written
// with the PNG options, a JPEG input with the JPEG options).
class ExportFormat {
public:
    enum class Kind { png, jpeg, fileType };

    static ExportFormat png(PNGExportConfig config) { return {Kind::png, config, {}}; }
    static ExportFormat jpeg(JPEGExportConfig config) { return {Kind::jpeg, {}, config}; }
    static ExportFormat fileType(PNGExportConfig pngConfig, JPEGExportConfig jpegConfig) {
        return {Kind::fileType, pngConfig, jpegConfig};
    }

    Kind kind() const { return kind_; }
    // The options of the case; the default options for a case that has none.
    const PNGExportConfig& pngConfig() const { return pngConfig_; }
    const JPEGExportConfig& jpegConfig() const { return jpegConfig_; }

    // The format of the output written for an input file; never `fileType`. Absent when the
    // format follows the input and the input is neither a PNG nor a JPEG file.
    std::optional<UIExportFormat> uiExportFormat(const Url& url) const;

    PropertyList::Dictionary propertyList() const;
    static std::optional<ExportFormat> fromPropertyList(const PropertyList::Dictionary& dictionary);

    bool operator==(const ExportFormat& other) const;

private:
    ExportFormat(Kind kind, PNGExportConfig pngConfig, JPEGExportConfig jpegConfig)
        : kind_(kind)
        , pngConfig_(pngConfig)
        , jpegConfig_(jpegConfig) {}

    Kind kind_;
    PNGExportConfig pngConfig_;
    JPEGExportConfig jpegConfig_;
};

} // namespace orlix
