#include "TaskProcessing/ThumbnailCache.h"

#include <gtest/gtest.h>

#include <memory>

namespace orlix {
namespace {

std::shared_ptr<const BitmapImageRep> smallBitmap() {
    return BitmapImageRep::make(2, 2, CoarseBitmapInfo::rgbaSRGB());
}

TEST(ThumbnailCacheTests, ClearingLetsTheThumbnailsGo) {
    const auto cache = ThumbnailCache::create();
    const Url photo = Url::fileUrl("/pictures/photo.png");
    auto bitmap = smallBitmap();
    const std::weak_ptr<const BitmapImageRep> watched = bitmap;
    cache->setThumbnail(photo, std::move(bitmap));
    EXPECT_EQ(cache->thumbnail(photo), watched.lock());
    EXPECT_EQ(cache->thumbnail(Url::fileUrl("/pictures/other.png")), nullptr);

    cache->clear();
    EXPECT_EQ(cache->thumbnail(photo), nullptr);
    EXPECT_TRUE(watched.expired());

    // Later thumbnails are kept again.
    cache->setThumbnail(photo, smallBitmap());
    EXPECT_NE(cache->thumbnail(photo), nullptr);
}

} // namespace
} // namespace orlix
