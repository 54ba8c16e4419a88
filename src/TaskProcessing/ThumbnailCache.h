#pragma once

#include "Export/BitmapImageRep.h"
#include "Platform/DispatchQueue.h"
#include "Platform/Url.h"

#include <functional>
#include <memory>
#include <unordered_map>

namespace orlix {

// The thumbnails of the activity rows, keyed by input file. One input usually has a row per
// output resolution, and decoding is slow, so each file is decoded once per run, off the main
// thread. Callable from any thread: the map is touched only on the cache's own serial queue.
class ThumbnailCache : public std::enable_shared_from_this<ThumbnailCache> {
public:
    using Thumbnail = std::shared_ptr<const BitmapImageRep>;
    using Completion = std::function<void(Thumbnail)>;

    // The box every thumbnail covers, in pixels.
    static constexpr std::uint32_t thumbnailSide = 200;

    // The one instance the application uses, made on first use.
    static std::shared_ptr<ThumbnailCache> shared();
    static std::shared_ptr<ThumbnailCache> create();
    ThumbnailCache(const ThumbnailCache&) = delete;
    ThumbnailCache& operator=(const ThumbnailCache&) = delete;

    // Returns at once; the thumbnails go once the queue gets to it. Run at the end of every run
    // so that the pictures of a finished run do not stay in memory.
    void clear();

    // Returns at once. The completion runs exactly once, later, on the main queue, with an RGBA
    // thumbnail that covers the thumbnail box (never larger than the file's own picture), or
    // nullptr when the file cannot be read. A failure is not remembered: the next request tries
    // again.
    void thumbnail(const Url& url, Completion completion);

    // What is stored for the file; nullptr when there is none.
    Thumbnail cachedThumbnail(const Url& url) const;
    void setThumbnail(const Url& url, Thumbnail thumbnail);

    // The file's picture scaled to cover a `side` by `side` box; nullptr when it cannot be read.
    static Thumbnail imageThumbnail(const Url& url, std::uint32_t side);

private:
    using Thumbnails = std::unordered_map<Url, Thumbnail, UrlHash>;

    ThumbnailCache();

    std::shared_ptr<DispatchQueue> queue_;
    Thumbnails thumbnails_;
};

} // namespace orlix
