#pragma once

namespace orlix {

enum class CoarseColorSpace { sRGB, greyscale };

} // namespace orlix
