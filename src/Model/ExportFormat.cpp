#include "Model/ExportFormat.h"

#include "Model/PropertyListKey.h"
#include "Model/PropertyListReading.h"
#include "Shared/ImageFileType.h"

namespace orlix {

namespace {

// The stored export type codes.
enum class ExportTypeCode : std::uint8_t { png = 0, jpeg = 1, fileType = 2 };

} // namespace

std::optional<UIExportFormat> ExportFormat::uiExportFormat(const Url& url) const {
    switch (kind_) {
    case Kind::png:
        return UIExportFormat::png;
    case Kind::jpeg:
        return UIExportFormat::jpeg;
    case Kind::fileType:
        break;
    }
    if (ImageFileType::isPNGFile(url)) {
        return UIExportFormat::png;
    }
    if (ImageFileType::isJPEGFile(url)) {
        return UIExportFormat::jpeg;
    }
    return std::nullopt;
}

PropertyList::Dictionary ExportFormat::propertyList() const {
    const auto code = kind_ == Kind::png    ? ExportTypeCode::png
                      : kind_ == Kind::jpeg ? ExportTypeCode::jpeg
                                            : ExportTypeCode::fileType;
    PropertyList::Dictionary dictionary{{PropertyListKey::presetExportType, unsigned(code)}};
    if (kind_ != Kind::jpeg) {
        dictionary[PropertyListKey::presetPNGConfig] = pngConfig_.propertyList();
    }
    return dictionary;
}

std::optional<ExportFormat>
ExportFormat::fromPropertyList(const PropertyList::Dictionary& dictionary) {
    const auto type = PropertyListReading::uint8(dictionary, PropertyListKey::presetExportType);
    if (!type || *type > std::uint8_t(ExportTypeCode::fileType)) {
        return std::nullopt;
    }
    if (ExportTypeCode(*type) == ExportTypeCode::jpeg) {
        return jpeg({});
    }
    const auto config =
        PropertyListReading::decoded<PNGExportConfig>(dictionary, PropertyListKey::presetPNGConfig);
    if (!config) {
        return std::nullopt;
    }
    return ExportTypeCode(*type) == ExportTypeCode::png ? png(*config) : fileType(*config, {});
}

bool ExportFormat::operator==(const ExportFormat& other) const {
    // JPEG options never take part, and only the PNG options of the cases that have them.
    return kind_ == other.kind_ && (kind_ == Kind::jpeg || pngConfig_ == other.pngConfig_);
}

} // namespace orlix
