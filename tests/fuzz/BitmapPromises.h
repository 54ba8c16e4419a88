#pragma once

#include "Export/BitmapImageRep.h"

namespace orlix::fuzzing {

// What every bitmap the decoder hands on promises: a size within the limit, every byte of every
// row present, and premultiplied alpha (no colour sample above its pixel's alpha).
void requireSoundBitmap(const BitmapImageRep& bitmap);

} // namespace orlix::fuzzing
