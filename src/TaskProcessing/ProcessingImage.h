#pragma once

#include "Export/ExportImageInfo.h"
#include "Model/ExportSize.h"
#include "Platform/ObservableProperty.h"
#include "Platform/Url.h"
#include "Platform/Uuid.h"
#include "TaskProcessing/UIExportError.h"

#include <any>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace orlix {

// The model behind one row of the activity window: one output of one input file. It turns the
// export's statuses and image information into the texts and flags the row shows, and publishes
// them through observable properties.
//
// Main thread only: rows are made there and the exporters deliver through the main queue, so
// observers hear of every change synchronously on the main thread, inside the change.
class ProcessingImage {
public:
    struct ProcessingImageStatus {
        enum class Kind { succeeded, failed, uninitialized, ready, optimizing, cancelled };

        static ProcessingImageStatus succeeded(std::optional<Url> out,
                                               std::optional<std::int64_t> reduction) {
            return {Kind::succeeded, std::move(out), reduction, {}, {}};
        }
        // Both texts are already the user's.
        static ProcessingImageStatus failed(std::string error, std::string explanation) {
            return {Kind::failed, std::nullopt, std::nullopt, std::move(error),
                    std::move(explanation)};
        }
        static ProcessingImageStatus of(Kind kind) {
            return {kind, std::nullopt, std::nullopt, {}, {}};
        }

        Kind kind;
        // For `succeeded`: the file written and the share of the input saved, in percent.
        std::optional<Url> out;
        std::optional<std::int64_t> reduction;
        // For `failed`.
        std::string error;
        std::string explanation;

        bool operator==(const ProcessingImageStatus&) const = default;
    };

    virtual ~ProcessingImage() = default;
    ProcessingImage(const ProcessingImage&) = delete;
    ProcessingImage& operator=(const ProcessingImage&) = delete;

    const Uuid& identifier() const { return identifier_; }
    const Url& inURL() const { return inURL_; }
    const ExportSize& exportSize() const { return exportSize_; }
    bool isSlow() const { return isSlow_; }
    const std::optional<ExportImageInfo>& imageInfo() const { return imageInfo_; }

    // The published fields.
    ObservableProperty<std::string>& uiStatus() { return uiStatus_; }
    ObservableProperty<std::string>& uiAdditionalStatusInformation() {
        return uiAdditionalStatusInformation_;
    }
    ObservableProperty<std::string>& uiResizeTypeString() { return uiResizeTypeString_; }
    ObservableProperty<std::string>& uiResolutionString() { return uiResolutionString_; }
    ObservableProperty<bool>& inProgress() { return inProgress_; }
    // Once true, never false again.
    ObservableProperty<bool>& completed() { return completed_; }

    const ProcessingImageStatus& status() const { return status_; }
    // Publishes, in this order: the flags that change, then both status texts, even unchanged
    // ones. Observers of a finished export thus see `completed` before its final texts.
    void setStatus(ProcessingImageStatus status);

    virtual std::string inProgressStatusString() const;
    // The result size once measured, else the resize choice.
    virtual std::string resizeTypeString() const;
    // The resolution once known, else the one asked for.
    virtual std::string resolutionString() const;
    // "PNG" or "JPEG".
    virtual std::string outputType() const;
    virtual std::string statusString(const ProcessingImageStatus& status) const;
    virtual std::string additionalStatusString(const ProcessingImageStatus& status) const;

    // What the exporter's image-info updater calls: replaces the information and republishes the
    // two lozenges. A row that is gone by then is left alone.
    // What either format's status means for the row: every working step is "optimizing".
    template <typename ExportStatus>
    static void applyExportStatus(const ExportStatus& status,
                                  const std::weak_ptr<ProcessingImage>& row) {
        const auto image = row.lock();
        if (!image) {
            return;
        }
        using Kind = typename ExportStatus::Kind;
        switch (status.kind) {
        case Kind::succeeded:
            return image->setStatus(ProcessingImageStatus::succeeded(status.out, status.reduction));
        case Kind::failed: {
            const UIExportError error{status.error ? std::any(*status.error) : std::any()};
            return image->setStatus(
                ProcessingImageStatus::failed(error.errorString(), error.explanationString()));
        }
        case Kind::ready:
            return image->setStatus(ProcessingImageStatus::of(ProcessingImageStatus::Kind::ready));
        case Kind::cancelled:
            return image->setStatus(
                ProcessingImageStatus::of(ProcessingImageStatus::Kind::cancelled));
        default:
            return image->setStatus(
                ProcessingImageStatus::of(ProcessingImageStatus::Kind::optimizing));
        }
    }

    static void imageInfoUpdater(const ExportImageInfo& info,
                                 const std::weak_ptr<ProcessingImage>& row);
    static std::function<void(const ExportImageInfo&)>
    imageInfoUpdater(std::weak_ptr<ProcessingImage> row);

protected:
    // Lets a kind be made only through make(), which publishes the first texts once the kind's
    // overrides are in place.
    class ConstructionKey {
        friend class ProcessingImage;
        ConstructionKey() = default;
    };

    ProcessingImage(ConstructionKey, Uuid identifier, ExportSize exportSize, Url inURL,
                    bool isSlow);

    template <typename Kind>
    static std::shared_ptr<Kind> make(Uuid identifier, ExportSize exportSize, Url inURL,
                                      bool isSlow) {
        auto row = std::make_shared<Kind>(ConstructionKey{}, identifier, std::move(exportSize),
                                          std::move(inURL), isSlow);
        row->setInitialTexts();
        return row;
    }

private:
    void setInitialTexts();

    const Uuid identifier_;
    const Url inURL_;
    const ExportSize exportSize_;
    const bool isSlow_;
    std::optional<ExportImageInfo> imageInfo_;
    ObservableProperty<std::string> uiStatus_;
    ObservableProperty<std::string> uiAdditionalStatusInformation_;
    ObservableProperty<std::string> uiResizeTypeString_;
    ObservableProperty<std::string> uiResolutionString_;
    ObservableProperty<bool> inProgress_{false};
    ObservableProperty<bool> completed_{false};
    ProcessingImageStatus status_ =
        ProcessingImageStatus::of(ProcessingImageStatus::Kind::uninitialized);
};

} // namespace orlix
