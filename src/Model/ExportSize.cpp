#include "Model/ExportSize.h"

#include <cmath>

namespace orlix {

ExportSize::ResolutionType
ExportSize::ResolutionType::fixed(OutputResolution resolution,
                                  std::optional<double> resizeMultiplier) {
    ResolutionType type(Kind::fixed);
    type.resolution_ = resolution;
    type.resizeMultiplier_ = resizeMultiplier;
    return type;
}

ExportSize::ResolutionType
ExportSize::ResolutionType::variableForSourceSizeAndMaxSize(Resolver resolver) {
    ResolutionType type(Kind::variableForSourceSizeAndMaxSize);
    type.resolver_ = std::move(resolver);
    return type;
}

ExportSize::ResolutionType ExportSize::ResolutionType::none() {
    return ResolutionType(Kind::none);
}

std::vector<ExportSize> exportSizes(const ResizeConfig& resize,
                                    const std::optional<ResolutionConfig>& resolution,
                                    const OutputResolutionSet& resolutions) {
    if (!resolution) {
        return {{resize, ExportSize::ResolutionType::none()}};
    }
    switch (*resolution) {
    case ResolutionConfig::defaultResolutionsWithMaxPredefinedSize:
        if (resolutions.empty()) {
            return {};
        }
        return fixedExportSizes(resize, resolutions, *resolutions.rbegin());
    case ResolutionConfig::defaultResolutionsWithMinPredefinedSize:
        if (resolutions.empty()) {
            return {};
        }
        return fixedExportSizes(resize, resolutions, *resolutions.begin());
    case ResolutionConfig::defaultResolutionsWithMaxSupportedResolutionForImage:
        break;
    }
    auto resolver = [resize, resolutions](ImagePixelSize source,
                                          std::optional<ImagePixelSize> maximum) {
        return largestFittingResolution(resize, resolutions, source, maximum);
    };
    return {{resize, ExportSize::ResolutionType::variableForSourceSizeAndMaxSize(resolver)}};
}

std::vector<ExportSize> fixedExportSizes(const ResizeConfig& resize,
                                         const OutputResolutionSet& resolutions,
                                         OutputResolution reference) {
    std::vector<ExportSize> sizes;
    for (const auto resolution : resolutions) {
        const double resizeMultiplier = multiplier(resolution) / multiplier(reference);
        sizes.push_back({resize, ExportSize::ResolutionType::fixed(resolution, resizeMultiplier)});
    }
    return sizes;
}

namespace {

// A floor that must be a whole 32-bit value to count.
std::optional<double> flooredDimension(double value) {
    const double floored = std::floor(value);
    if (!std::isfinite(floored) || floored < 0.0 || floored > 4294967295.0) {
        return std::nullopt;
    }
    return floored;
}

} // namespace

std::optional<OutputResolution> largestFittingResolution(const ResizeConfig& resize,
                                                         const OutputResolutionSet& resolutions,
                                                         ImagePixelSize source,
                                                         std::optional<ImagePixelSize> maximum) {
    if (!maximum) {
        return resolutions.empty() ? std::nullopt : std::optional(*resolutions.rbegin());
    }
    const auto target = resize.targetPixelSize(source.width, source.height);
    if (!target) {
        return std::nullopt;
    }
    const double aspectRatio = double(target->width) / double(target->height);
    std::optional<OutputResolution> largest;
    for (const auto resolution : resolutions) {
        const auto width = flooredDimension(multiplier(resolution) * double(target->width));
        const auto height = width ? flooredDimension(*width / aspectRatio) : std::nullopt;
        if (!height) {
            continue;
        }
        const auto area = std::uint64_t(*width) * std::uint64_t(*height);
        if (area <= maximum->area()) {
            largest = resolution;
        }
    }
    return largest;
}

} // namespace orlix
