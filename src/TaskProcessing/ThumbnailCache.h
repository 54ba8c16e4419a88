#pragma once

#include "Export/BitmapImageRep.h"
#include "Platform/DispatchQueue.h"
#include "Platform/Url.h"

#include <memory>
#include <unordered_map>

namespace orlix {

// The thumbnails of the activity rows, keyed by input file. Callable from any thread: the map is
// touched only on the cache's own serial queue.
class ThumbnailCache : public std::enable_shared_from_this<ThumbnailCache> {
public:
    // The one instance the application uses, made on first use.
    static std::shared_ptr<ThumbnailCache> shared();
    static std::shared_ptr<ThumbnailCache> create();
    ThumbnailCache(const ThumbnailCache&) = delete;
    ThumbnailCache& operator=(const ThumbnailCache&) = delete;

    // Returns at once; the thumbnails go once the queue gets to it. Run at the end of every run
    // so that the pictures of a finished run do not stay in memory.
    void clear();

    // nullptr when there is none.
    std::shared_ptr<const BitmapImageRep> thumbnail(const Url& url) const;
    void setThumbnail(const Url& url, std::shared_ptr<const BitmapImageRep> thumbnail);

private:
    using Thumbnails = std::unordered_map<Url, std::shared_ptr<const BitmapImageRep>, UrlHash>;

    ThumbnailCache();

    std::shared_ptr<DispatchQueue> queue_;
    Thumbnails thumbnails_;
};

} // namespace orlix
