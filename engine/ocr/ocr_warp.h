// Straightening a photographed grid: corner search, homography, warps, and placing the nine rows and columns.
#pragma once

#include <cstdint>
#include <vector>

// Side of a straightened picture: 180 for small pictures (w + h < 362), else (w + h) / 2, at most 1200.
int ocr_warp_size(int w, int h);

// Corners (top-left, top-right, bottom-right, bottom-left) of the largest dark (dark = true) or
// light region of the picture, sampled at most 400 x 400; a dark region touching the picture's edge
// is passed over for the largest one clear of the edges when that covers 2% of the picture. False
// when the picture is below 40 x 40, has no contrast, no region covers 2% of it, or the
// quadrilateral is too small or too distorted; xs and ys may have been written even then.
bool find_quad_pol(const uint8_t* img, int w, int h, float xs[4], float ys[4], bool dark);

// The projective map H (row-major 3 x 3, H[8] = 1) taking the unit-square corners (0,0), (1,0),
// (1,1), (0,1) to the quadrilateral's corners 0..3. False for a degenerate quadrilateral.
bool solve_homography(const float xs[4], const float ys[4], float H[9]);

// out becomes the S x S picture whose pixel (j, i) samples img bilinearly at H((j + .5)/S, (i + .5)/S);
// pixels that map outside the sampled area are 255.
void warp_quad(const uint8_t* img, int w, int h, const float H[9], std::vector<uint8_t>& out, int S);

// Straightens a colour buffer (bpp 1..4) by the corners of its most colourful or darkest region:
// out becomes S x S x bpp. False, with out and S untouched, when no corners were found.
bool warp_colour(const unsigned char* pixels, int w, int h, int bpp, std::vector<uint8_t>& out, int& S);

// The box of the outermost long dark lines, or the whole picture when they enclose less than a
// third of it either way. Always writes the box.
void grid_box(const uint8_t* img, int w, int h, int& left, int& top, int& right, int& bottom);

// Centres of the runs of long dark rows (rows = true) or columns at threshold 128.
std::vector<int> line_positions(const uint8_t* img, int w, int h, bool rows);

// Moves lo or hi so that the span covers nine cell pitches when it covers eight or ten of the
// pitch that the lines show; the edge with less ink nearby is the one moved.
void repair_span(const uint8_t* img, int w, int h, bool rows, const std::vector<int>& lines, int& lo, int& hi);
