#include "TaskProcessing/ThumbnailCache.h"

#include "Export/BitmapResize.h"
#include "Export/Codec/ImageDecoder.h"
#include "Model/ResizeConfig.h"
#include "Platform/MainQueue.h"

namespace orlix {

namespace {

// A thumbnail is looked at, not measured: twice its size is enough room for the Lanczos step.
constexpr std::uint32_t boxMultiple = 2;

} // namespace

std::shared_ptr<ThumbnailCache> ThumbnailCache::shared() {
    static const std::shared_ptr<ThumbnailCache> instance = create();
    return instance;
}

std::shared_ptr<ThumbnailCache> ThumbnailCache::create() {
    return std::shared_ptr<ThumbnailCache>(new ThumbnailCache());
}

ThumbnailCache::ThumbnailCache()
    : queue_(DispatchQueue::create("co.corvendal.orlix.ThumbnailCache.Queue")) {}

void ThumbnailCache::clear() {
    queue_->async([weakSelf = weak_from_this()] {
        const auto self = weakSelf.lock();
        // A fresh map gives the memory of the old buckets back as well.
        if (self && !self->thumbnails_.empty()) {
            Thumbnails().swap(self->thumbnails_);
        }
    });
}

void ThumbnailCache::thumbnail(const Url& url, Completion completion) {
    queue_->async([weakSelf = weak_from_this(), url, completion = std::move(completion)] {
        Thumbnail result;
        // A cache that went away still answers, so that no caller waits forever.
        if (const auto self = weakSelf.lock()) {
            const auto found = self->thumbnails_.find(url);
            if (found != self->thumbnails_.end()) {
                result = found->second;
            } else if ((result = imageThumbnail(url, thumbnailSide))) {
                self->thumbnails_[url] = result;
            }
        }
        MainQueue::async([completion, result] {
            if (completion) {
                completion(result);
            }
        });
    });
}

ThumbnailCache::Thumbnail ThumbnailCache::cachedThumbnail(const Url& url) const {
    return queue_->sync([this, &url]() -> Thumbnail {
        const auto found = thumbnails_.find(url);
        return found == thumbnails_.end() ? nullptr : found->second;
    });
}

void ThumbnailCache::setThumbnail(const Url& url, Thumbnail thumbnail) {
    queue_->async([weakSelf = weak_from_this(), url, thumbnail = std::move(thumbnail)] {
        if (const auto self = weakSelf.lock()) {
            self->thumbnails_[url] = thumbnail;
        }
    });
}

ThumbnailCache::Thumbnail ThumbnailCache::imageThumbnail(const Url& url, std::uint32_t side) {
    if (!url.isFileUrl()) {
        return nullptr;
    }
    // Fitted to the picture's own size, so that a reduced decode gives the same thumbnail size.
    const auto fittedFor = [side](ImagePixelSize size) {
        return ResizeConfig::fitMax(side, side).targetPixelSize(size.width, size.height);
    };
    // A covering thumbnail's shorter side is the box's; the decoder may stop there, or average
    // the picture down in the blocks the reduction would take while it reads it. It refuses files
    // whose stated size is beyond what a bitmap may hold. A picture the file carries of itself is
    // taken as it is, as the desktop's previews take it, when it is large enough for a row: half
    // the box.
    const auto decoded =
        ImageDecoder::decodePreview(url.path(), side, side / 2, [&](ImagePixelSize size) {
            const auto fitted = fittedFor(size);
            return fitted ? BitmapResize::boxFactors(size, *fitted, boxMultiple)
                          : BoxReducer::Factors{};
        });
    if (!decoded || !decoded->bitmap) {
        return nullptr;
    }
    const auto fitted = fittedFor(decoded->pixelSize);
    if (!fitted || fitted->width == 0 || fitted->height == 0) {
        return nullptr;
    }
    // Never enlarged: a picture the file carries may be smaller than the fitted size.
    Thumbnail scaled = decoded->bitmap;
    if (decoded->boxFactors != BoxReducer::Factors{}) {
        scaled = BitmapResize::drawnBoxed(*decoded->bitmap, decoded->pixelSize, decoded->boxFactors,
                                          *fitted);
    } else if (fitted->width < decoded->bitmap->pixelsWide() ||
               fitted->height < decoded->bitmap->pixelsHigh()) {
        scaled = BitmapResize::reduced(decoded->bitmap, *fitted, boxMultiple);
    }
    if (!scaled) {
        return nullptr;
    }
    // The rows draw RGBA, and converting once here keeps that work off the main thread.
    if (scaled->info() == CoarseBitmapInfo::rgbaSRGB()) {
        return scaled;
    }
    return scaled->redrawnAsRGBA();
}

} // namespace orlix
