#include "TaskProcessing/ThumbnailCache.h"

#include "Export/BitmapImageRepWithMetadata.h"
#include "Export/BitmapResize.h"
#include "Model/ResizeConfig.h"
#include "Platform/MainQueue.h"

#include <algorithm>
#include <cmath>

namespace orlix {

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
    // The loader refuses files whose stated size is beyond what a bitmap may hold.
    const auto loaded = BitmapImageRepWithMetadata::load(url);
    if (!loaded || !loaded->bitmapImageRep()) {
        return nullptr;
    }
    const auto& source = loaded->bitmapImageRep();
    const auto fitted = ResizeConfig::fitMax(side, side)
                            .targetPixelSize(source->pixelsWide(), source->pixelsHigh());
    if (!fitted || fitted->width == 0 || fitted->height == 0) {
        return nullptr;
    }
    Thumbnail scaled = source;
    if (fitted->width < source->pixelsWide() || fitted->height < source->pixelsHigh()) {
        scaled = BitmapResize::resized(source, ResizeConfig::fitMax(side, side), std::nullopt);
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

ThumbnailCache::Thumbnail ThumbnailCache::coverThumbnail(const Thumbnail& image,
                                                         ImagePixelSize target) {
    if (!image || target.width == 0 || target.height == 0) {
        return nullptr;
    }
    const double width = image->pixelsWide();
    const double height = image->pixelsHigh();
    const double scale = std::max(target.width / width, target.height / height);
    if (scale <= 1.0) {
        return BitmapResize::resized(image, ResizeConfig::trim(target.width, target.height),
                                     std::nullopt);
    }
    // Cropping to the target's shape at the image's own scale keeps a small picture sharp
    // instead of blowing it up.
    const auto cropWidth = std::clamp<double>(std::round(target.width / scale), 1.0, width);
    const auto cropHeight = std::clamp<double>(std::round(target.height / scale), 1.0, height);
    return BitmapResize::resized(image,
                                 ResizeConfig::trim(static_cast<std::uint32_t>(cropWidth),
                                                    static_cast<std::uint32_t>(cropHeight)),
                                 std::nullopt);
}

} // namespace orlix
