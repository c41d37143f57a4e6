// Picture basics of the reader: the colour-to-grey rule, ink and polarity, the two-means threshold, the trace flag.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Set once at library load when OCR_DEBUG exists in the environment (any value, empty included);
// the reader's stages then print trace lines to standard output. Nothing writes it afterwards.
extern const bool g_dbg;

// Grey level below which a pixel is ink wherever a step names no other threshold.
constexpr int kInkLevel = 128;

// Grey level of one pixel of a colour buffer of bpp (1..4) bytes per pixel: byte 0 for one or two
// bytes, (299 R + 587 G + 114 B) / 1000 for three or four.
inline uint8_t grey_of_pixel(const unsigned char* p, int bpp) {
    if (bpp < 3) return p[0];
    return static_cast<uint8_t>((299 * p[0] + 587 * p[1] + 114 * p[2]) / 1000);
}

// out becomes the w x h grey image of the colour buffer; a one-byte buffer is copied unchanged.
void grey_from_colour(const unsigned char* pixels, int w, int h, int bpp, std::vector<uint8_t>& out);

// The number of pixels below `level` among the n bytes of img.
size_t count_below(const uint8_t* img, size_t n, int level);

// True when more than half of the w x h pixels are ink at 128: the picture is light on dark.
bool ink_majority(const uint8_t* img, int w, int h);

// Replaces every byte v of img by 255 - v.
void invert_grey(uint8_t* img, size_t n);

// The two-means threshold of n grey levels: the midpoint of the mean below and the mean at or above
// their overall mean. False, with t untouched, when one of the two groups is empty.
bool two_means_threshold(const uint8_t* values, size_t n, float& t);
