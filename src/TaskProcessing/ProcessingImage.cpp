#include "TaskProcessing/ProcessingImage.h"

#include "Platform/Localization.h"
#include "TaskProcessing/LocalizedFormat.h"

#include <cstdio>
#include <cstdlib>

namespace orlix {

namespace {

std::string slowNote(bool isSlow) {
    if (!isSlow) {
        return {};
    }
    return localized("Your optimization settings are making this take a little longer than usual",
                     "String presented in the activity UI for an export task which has slow "
                     "export settings e.g. 'Smaller file size'");
}

std::string resolutionSuffix(OutputResolution resolution) {
    switch (resolution) {
    case OutputResolution::x1:
        break;
    case OutputResolution::x2:
        return "@2x";
    case OutputResolution::x3:
        return "@3x";
    }
    return "@1x";
}

} // namespace

ProcessingImage::ProcessingImage(ConstructionKey, Uuid identifier, ExportSize exportSize, Url inURL,
                                 bool isSlow)
    : identifier_(identifier)
    , inURL_(std::move(inURL))
    , exportSize_(std::move(exportSize))
    , isSlow_(isSlow) {}

void ProcessingImage::setInitialTexts() {
    uiStatus_.set(statusString(status_));
    uiAdditionalStatusInformation_.set(additionalStatusString(status_));
    uiResizeTypeString_.set(resizeTypeString());
    uiResolutionString_.set(resolutionString());
}

void ProcessingImage::setStatus(ProcessingImageStatus status) {
    status_ = std::move(status);
    switch (status_.kind) {
    case ProcessingImageStatus::Kind::succeeded:
    case ProcessingImageStatus::Kind::failed:
    case ProcessingImageStatus::Kind::cancelled:
        if (inProgress_.get()) {
            inProgress_.set(false);
        }
        if (!completed_.get()) {
            completed_.set(true);
        }
        break;
    case ProcessingImageStatus::Kind::optimizing:
        if (!inProgress_.get()) {
            inProgress_.set(true);
        }
        break;
    case ProcessingImageStatus::Kind::uninitialized:
    case ProcessingImageStatus::Kind::ready:
        break;
    }
    uiStatus_.set(statusString(status_));
    uiAdditionalStatusInformation_.set(additionalStatusString(status_));
}

std::string ProcessingImage::inProgressStatusString() const {
    // Linux file systems have no localized display names: the name on disk is what the user sees.
    std::string name = inURL_.lastPathComponent();
    if (name.find(' ') != std::string::npos) {
        name = "\u201C" + name + "\u201D";
    }
    return localizedFormat(
        localized("Optimizing %@", "Format string for in progress status in activity UI"), name);
}

std::string ProcessingImage::resizeTypeString() const {
    if (imageInfo_ && imageInfo_->resultPixelSize) {
        return ResizeConfig::uiDimensionsString(imageInfo_->resultPixelSize->width,
                                                imageInfo_->resultPixelSize->height);
    }
    return exportSize_.resizeConfig.uiString();
}

std::string ProcessingImage::resolutionString() const {
    if (imageInfo_ && imageInfo_->resolution) {
        return resolutionSuffix(*imageInfo_->resolution);
    }
    const auto& type = exportSize_.resolutionType;
    switch (type.kind()) {
    case ExportSize::ResolutionType::Kind::fixed:
        return resolutionSuffix(type.resolution());
    case ExportSize::ResolutionType::Kind::variableForSourceSizeAndMaxSize:
        return localized("@MAX", "String presented in activity UI to represent an export task "
                                 "with its resolution option set to 'Max resolution possible for "
                                 "defined size'");
    case ExportSize::ResolutionType::Kind::none:
        break;
    }
    return "@1x";
}

std::string ProcessingImage::outputType() const {
    std::fputs("Subclass must override\n", stderr);
    std::abort();
}

std::string ProcessingImage::statusString(const ProcessingImageStatus& status) const {
    switch (status.kind) {
    case ProcessingImageStatus::Kind::uninitialized:
        break;
    case ProcessingImageStatus::Kind::ready:
        return localized("Ready", "String for ready status in activity UI");
    case ProcessingImageStatus::Kind::optimizing:
        return inProgressStatusString();
    case ProcessingImageStatus::Kind::succeeded:
        return localized("Optimization Complete", "String for completed status in activity UI");
    case ProcessingImageStatus::Kind::failed:
        return status.error;
    case ProcessingImageStatus::Kind::cancelled:
        return localized("Canceled", "String for cancelled status in activity UI");
    }
    return {};
}

std::string ProcessingImage::additionalStatusString(const ProcessingImageStatus& status) const {
    switch (status.kind) {
    case ProcessingImageStatus::Kind::uninitialized:
    case ProcessingImageStatus::Kind::ready:
    case ProcessingImageStatus::Kind::optimizing:
        return slowNote(isSlow_);
    case ProcessingImageStatus::Kind::succeeded:
        if (status.reduction && *status.reduction > 0) {
            return localizedFormat(
                localized("File size reduced by %d%%",
                          "Format string presented in the activity UI upon successful completion "
                          "of an optimization task to indicate the reduction in file size"),
                std::to_string(*status.reduction));
        }
        break;
    case ProcessingImageStatus::Kind::failed:
        return status.explanation;
    case ProcessingImageStatus::Kind::cancelled:
        break;
    }
    return {};
}

void ProcessingImage::imageInfoUpdater(const ExportImageInfo& info,
                                       const std::weak_ptr<ProcessingImage>& row) {
    const auto image = row.lock();
    if (!image) {
        return;
    }
    image->imageInfo_ = info;
    image->uiResizeTypeString_.set(image->resizeTypeString());
    image->uiResolutionString_.set(image->resolutionString());
}

std::function<void(const ExportImageInfo&)>
ProcessingImage::imageInfoUpdater(std::weak_ptr<ProcessingImage> row) {
    return [row = std::move(row)](const ExportImageInfo& info) { imageInfoUpdater(info, row); };
}

} // namespace orlix
