#pragma once

#include "Export/ExportImageInfo.h"

#include <functional>

namespace orlix {

// An exporter that reports what it learns of its image to whoever shows it.
class ImageExporterUpdateSource {
public:
    using ImageInfoUpdater = std::function<void(const ExportImageInfo&)>;

    virtual ~ImageExporterUpdateSource() = default;
    virtual const ImageInfoUpdater& imageInfoUpdater() const = 0;
    virtual void setImageInfoUpdater(ImageInfoUpdater updater) = 0;
};

} // namespace orlix
