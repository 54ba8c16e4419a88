#pragma once

#include <cstdint>

namespace orlix {

// Palette quantiser for 8-bit RGBA pixels, used by the PNG export to get at most 256 colours and
// one index byte per pixel. Colours are compared in a space that weighs green above red above blue
// and, unless switched off, premultiplies by alpha, so that invisible differences cost nothing.
//
// Order of use: create, optionally disable alpha weighting, add pixels (as often as needed),
// quantise, read the palette, map; destroy. A fixed palette may replace the quantisation before
// mapping. One state is used by one thread at a time; separate states are independent.
//
// Every call accepts a null state or null buffers and then does nothing (returning false, 0 or
// nullptr where it returns anything).
class ColourQuantizer;

// Null only when memory runs out.
ColourQuantizer* quantizerCreate();
void quantizerDestroy(ColourQuantizer* quantizer);

// Affects pixels added afterwards, every mapping and the palette read-out.
void quantizerDisableAlphaWeighting(ColourQuantizer* quantizer);

// `rgba` holds `pixelCount` pixels of 4 bytes. False when an argument is invalid or memory ran
// out (the pixels added until then stay in).
bool quantizerAddPixels(ColourQuantizer* quantizer, const std::uint8_t* rgba,
                        std::int64_t pixelCount);

// Splits the colour space until min(colourCount, 256) palette colours exist; a later call goes on
// from the current palette. The high-quality variant refines the palette after every split.
void quantizerQuantize(ColourQuantizer* quantizer, int colourCount);
void quantizerQuantizeHighQuality(ColourQuantizer* quantizer, int colourCount);

// Root-mean-square error of the current palette on a 0 to 256 scale; 0 when nothing was quantised.
double quantizerError(const ColourQuantizer* quantizer);

// Writes min(colourCount, palette size) colours of 4 bytes and returns how many.
int quantizerGetPalette(ColourQuantizer* quantizer, std::uint8_t* rgbaOut, int colourCount);

// Makes the given colours (at most 256 are used) the palette for the following mappings. They are
// taken as they are, without alpha weighting.
bool quantizerSetPalette(ColourQuantizer* quantizer, const std::uint8_t* rgba, int colourCount);

// Each writes one palette index per pixel. False, with nothing written, when an argument is
// invalid or there is no palette yet.
bool quantizerMapPixels(ColourQuantizer* quantizer, std::int64_t pixelCount,
                        const std::uint8_t* rgba, std::uint8_t* indices);
// 2 x 2 ordered dither over `height` rows of `width` pixels.
bool quantizerMapPixelsDithered(ColourQuantizer* quantizer, std::int64_t width, std::int64_t height,
                                const std::uint8_t* rgba, std::uint8_t* indices);
// One row with a random dither phase for each pixel; the random sequence belongs to the state, so
// states on different threads do not disturb each other.
bool quantizerMapPixelsRandomDither(ColourQuantizer* quantizer, std::int64_t width,
                                    const std::uint8_t* rgba, std::uint8_t* indices);

} // namespace orlix
