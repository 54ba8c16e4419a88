#include "TaskProcessing/ThumbnailCache.h"

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

std::shared_ptr<const BitmapImageRep> ThumbnailCache::thumbnail(const Url& url) const {
    return queue_->sync([this, &url]() -> std::shared_ptr<const BitmapImageRep> {
        const auto found = thumbnails_.find(url);
        return found == thumbnails_.end() ? nullptr : found->second;
    });
}

void ThumbnailCache::setThumbnail(const Url& url, std::shared_ptr<const BitmapImageRep> thumbnail) {
    queue_->async([weakSelf = weak_from_this(), url, thumbnail = std::move(thumbnail)] {
        if (const auto self = weakSelf.lock()) {
            self->thumbnails_[url] = thumbnail;
        }
    });
}

} // namespace orlix
