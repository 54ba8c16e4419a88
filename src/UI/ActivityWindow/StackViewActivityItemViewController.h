#pragma once

#include "Platform/Url.h"
#include "TaskProcessing/ThumbnailCache.h"

#include <QImage>
#include <QPointer>

#include <memory>
#include <optional>
#include <string>

class QHBoxLayout;
class QLabel;
class QSpacerItem;
class QWidget;

namespace orlix {

class ClippedImageView;
class ColoredLozengeLabel;
class StackViewActivityClippedBackgroundView;

// One row of the activity window: the input's thumbnail over a checkerboard, the status lines, a
// slow-work indicator and the three lozenges of the output. It only shows what it is given and
// fetches its own thumbnail. Main thread only; made shared so that the thumbnail's answer can
// tell whether the row is still there.
class StackViewActivityItemViewController
    : public std::enable_shared_from_this<StackViewActivityItemViewController> {
public:
    // The size of the picture at the row's left edge, in logical pixels.
    static constexpr int thumbnailSide = 64;

    explicit StackViewActivityItemViewController(QWidget* parent = nullptr);
    ~StackViewActivityItemViewController();
    StackViewActivityItemViewController(const StackViewActivityItemViewController&) = delete;
    StackViewActivityItemViewController&
    operator=(const StackViewActivityItemViewController&) = delete;

    // nullptr once the window that held it is gone.
    QWidget* view() const { return view_; }

    const std::shared_ptr<ThumbnailCache>& thumbnailCache() const { return thumbnailCache_; }
    void setThumbnailCache(std::shared_ptr<ThumbnailCache> cache) {
        thumbnailCache_ = std::move(cache);
    }
    const std::optional<Url>& fileURL() const { return fileURL_; }
    // Asks the cache, when there is one, for the file's thumbnail.
    void setFileURL(const Url& url);

    const std::string& activityStatus() const { return activityStatus_; }
    void setActivityStatus(const std::string& text);
    const std::string& activityAdditionalStatusInformation() const {
        return activityAdditionalStatusInformation_;
    }
    void setActivityAdditionalStatusInformation(const std::string& text);

    void setOutputTypeText(const std::string& text);
    void setOutputResolutionText(const std::string& text);
    void setOutputResizeText(const std::string& text);

    bool isSlowActivity() const { return isSlowActivity_; }
    void setSlowActivity(bool slow) { isSlowActivity_ = slow; }
    void updateSlowActivityLayout();

    // The cache's answer: composes the picture over the checkerboard and shows it, faded in when
    // the row is already on screen.
    void thumbnailLoaded(ThumbnailCache::Thumbnail image);

    QLabel* statusLabel() const { return statusLabel_; }
    QLabel* additionalStatusInformationLabel() const { return additionalStatusInformationLabel_; }
    QLabel* slowActivityView() const { return slowActivityView_; }
    ClippedImageView* checkerboardImageView() const { return checkerboardImageView_; }
    ClippedImageView* thumbnailImageView() const { return thumbnailImageView_; }
    ColoredLozengeLabel* outputTypeLabel() const { return outputTypeLabel_; }
    ColoredLozengeLabel* outputResolutionLabel() const { return outputResolutionLabel_; }
    ColoredLozengeLabel* outputResizeLabel() const { return outputResizeLabel_; }

    // The process-wide checkerboard every row shows behind its picture, made by the first row.
    static QImage checkerboardBase(const QSize& pixelSize);

private:
    void loadView(QWidget* parent);
    void updateClipPath();
    static void setLozengeText(ColoredLozengeLabel* label, const std::string& text);

    QPointer<QWidget> view_;
    QWidget* containerView_ = nullptr;
    StackViewActivityClippedBackgroundView* backgroundView_ = nullptr;
    ClippedImageView* checkerboardImageView_ = nullptr;
    ClippedImageView* thumbnailImageView_ = nullptr;
    QLabel* statusLabel_ = nullptr;
    QLabel* additionalStatusInformationLabel_ = nullptr;
    ColoredLozengeLabel* outputTypeLabel_ = nullptr;
    ColoredLozengeLabel* outputResolutionLabel_ = nullptr;
    ColoredLozengeLabel* outputResizeLabel_ = nullptr;
    QLabel* slowActivityView_ = nullptr;
    QHBoxLayout* statusLineLayout_ = nullptr;
    QSpacerItem* statusTrailingSpace_ = nullptr;

    std::shared_ptr<ThumbnailCache> thumbnailCache_;
    std::optional<Url> fileURL_;
    std::string activityStatus_;
    std::string activityAdditionalStatusInformation_;
    bool isSlowActivity_ = false;
};

} // namespace orlix
