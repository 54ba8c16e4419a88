#pragma once

namespace orlix {

// The four sample layouts every decoded image is redrawn into: 8 bits per sample, alpha last and
// premultiplied.
enum class CoarseBitmapFormat { rgb, rgba, grey, greya };

constexpr int samplesPerPixel(CoarseBitmapFormat format) {
    switch (format) {
    case CoarseBitmapFormat::rgb:
        return 3;
    case CoarseBitmapFormat::rgba:
        return 4;
    case CoarseBitmapFormat::grey:
        return 1;
    case CoarseBitmapFormat::greya:
        return 2;
    }
    return 0;
}

constexpr bool hasAlpha(CoarseBitmapFormat format) {
    return format == CoarseBitmapFormat::rgba || format == CoarseBitmapFormat::greya;
}

} // namespace orlix
