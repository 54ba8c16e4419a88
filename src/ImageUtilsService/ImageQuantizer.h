#pragma once

#include "Export/ImageUtilsProtocol.h"

namespace orlix {

// Turns the RGBA pixels of a quantise request into a palette of at most the requested size
// (clamped to 2..256) and one index byte per pixel.
class ImageQuantizer {
public:
    // hasResult is false when the quantiser refuses the image (empty, too large for it, out of
    // memory); otherwise hasResult and success are both true. The request's pixels are let go
    // once they are mapped to the palette, before the reply is built.
    static imageutils::QuantizeReply quantize(imageutils::QuantizeRequest&& request);

    // libimagequant speed for the two effort levels. 1 is its slowest, best setting; 4 is its
    // default, about 4 times faster with little visible loss on photographs.
    static constexpr int highQualitySpeed = 1;
    static constexpr int standardSpeed = 4;

private:
    static imageutils::QuantizeReply withImagequant(imageutils::QuantizeRequest& request,
                                                    int colours);
    static imageutils::QuantizeReply withBuiltInQuantizer(imageutils::QuantizeRequest& request,
                                                          int colours);
};

} // namespace orlix
