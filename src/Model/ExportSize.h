#pragma once

#include "Model/ImagePixelSize.h"
#include "Model/OutputResolution.h"
#include "Model/ResizeConfig.h"
#include "Model/ResolutionConfig.h"

#include <functional>
#include <optional>
#include <vector>

namespace orlix {

// One output of one input file: the resize choice of the settings and the output's resolution.
struct ExportSize {
    // Chooses the resolution of a variable output from the source's pixel size and an optional
    // largest acceptable size.
    using Resolver = std::function<std::optional<OutputResolution>(
        ImagePixelSize source, std::optional<ImagePixelSize> maximum)>;

    class ResolutionType {
    public:
        enum class Kind { fixed, variableForSourceSizeAndMaxSize, none };

        // An output at this resolution, the target size times the multiplier when there is one.
        static ResolutionType fixed(OutputResolution resolution,
                                    std::optional<double> resizeMultiplier);
        // An output whose resolution is chosen per source image.
        static ResolutionType variableForSourceSizeAndMaxSize(Resolver resolver);
        // One output without a resolution suffix or multiplier.
        static ResolutionType none();

        Kind kind() const { return kind_; }
        // Meaningful for `fixed` only.
        OutputResolution resolution() const { return resolution_; }
        std::optional<double> resizeMultiplier() const { return resizeMultiplier_; }
        // Set for `variableForSourceSizeAndMaxSize` only.
        const Resolver& resolver() const { return resolver_; }

    private:
        explicit ResolutionType(Kind kind)
            : kind_(kind) {}

        Kind kind_;
        OutputResolution resolution_ = OutputResolution::x1;
        std::optional<double> resizeMultiplier_;
        Resolver resolver_;
    };

    ResizeConfig resizeConfig;
    ResolutionType resolutionType;
};

// The outputs of one input file, in the order they are exported. Without a resolution there is
// one output without suffix. With an empty set of resolutions the fixed choices have no reference
// size and give no outputs.
std::vector<ExportSize> exportSizes(const ResizeConfig& resize,
                                    const std::optional<ResolutionConfig>& resolution,
                                    const OutputResolutionSet& resolutions);

// One output per resolution, smallest first, each scaled relative to the reference resolution,
// whose output has exactly the size the resize choice defines.
std::vector<ExportSize> fixedExportSizes(const ResizeConfig& resize,
                                         const OutputResolutionSet& resolutions,
                                         OutputResolution reference);

// The largest resolution whose scaled target does not exceed the maximum's pixel area; the
// largest of the set when there is no maximum. Absent when none fits or the target has no pixel
// size.
std::optional<OutputResolution> largestFittingResolution(const ResizeConfig& resize,
                                                         const OutputResolutionSet& resolutions,
                                                         ImagePixelSize source,
                                                         std::optional<ImagePixelSize> maximum);

} // namespace orlix
