// Drawn regions and marked diagonals: cell looks, the board palette, wall measures and the nine-region cut.
#pragma once

#include <cstdint>
#include <vector>

// How the middle of one cell looks, from its bright pixels only (grey level 120 or more), so that
// printed digits and lines do not count.
struct Look {
    float bright;       // brightness at three quarters of the sorted bright pixels
    float dark;         // brightness at one quarter of them
    float red_share;    // median of R * 255 / (R + G + B)
    float green_share;  // median of G * 255 / (R + G + B)
};
static_assert(sizeof(Look) == 4 * sizeof(float));

// A background colour of the board.
struct Rgb {
    int r, g, b;
};
static_assert(sizeof(Rgb) == 3 * sizeof(int));

// Nearest integer, halves away from zero: the rounding of every pixel position below. Exact for
// any float of magnitude below 2^31 (the sum is exact in double); kept inline as it is on hot loops.
inline int round_px(float v) {
    const double d = v;
    return d >= 0 ? static_cast<int>(d + 0.5) : -static_cast<int>(0.5 - d);
}

// The group 0..8 of every cell of a picture's drawn regions (thick walls or region colours),
// numbered by first cells in row-major order. False with all 81 set to 0 when no cut into nine
// connected regions of nine cells was found.
bool ocr_detect_regions(const unsigned char* pixels, int w, int h, int bpp, int regions[81]);

// True when the picture's two long diagonals are marked (shaded or tinted cells, or lines along them).
bool ocr_detect_x(const unsigned char* pixels, int w, int h, int bpp);

// The pixels to measure: the picture itself, or, when more than half of it is dark, an inverted
// copy of every byte kept in store, so that ink is always dark on a light ground.
const unsigned char* ink_dark_color(const unsigned char* pixels, int w, int h, int bpp, std::vector<uint8_t>& store);

// The lattice box of a grey picture (both ends inclusive, possibly reaching outside it); the whole
// picture when it was already straightened (warped).
void box_for(const uint8_t* grey, int w, int h, bool warped, int& left, int& top, int& right, int& bottom);

// The regions of the lattice in the box, its lines first refined from darkness profiles.
bool regions_from_box(const unsigned char* pixels, int w, int h, int bpp, int left, int top, int right, int bottom,
                      int regions[81]);
// The same with the grey image of pixels already made.
bool regions_from_box(const unsigned char* pixels, const uint8_t* grey, int w, int h, int bpp, int left, int top,
                      int right, int bottom, int regions[81]);

// The ten evenly spaced lines that best sit on the peaks of a darkness profile, searched around
// origin and pitch. False for a pitch below 4 or a profile without darkness near any candidate.
bool fit_lines(const std::vector<float>& profile, float origin, float pitch, float& best_origin, float& best_pitch);

// The regions of the lattice (x0, y0, px, py) by ink on the cell sides, then by cell colours, then
// by both; grey is the grey image of pixels.
bool regions_at(const unsigned char* pixels, int w, int h, int bpp, const uint8_t* grey, float x0, float y0, float px,
                float py, int regions[81]);

// The look of the middle 60% of a cell; false when it shows 8 or fewer bright pixels.
bool cell_look(const unsigned char* pixels, int w, int h, int bpp, float x0, float y0, float px, float py, int row,
               int column, Look& out);
// The same from the pixels whose 299 R + 587 G + 114 B reaches least_sum (0: every pixel).
bool cell_look_from(const unsigned char* pixels, int w, int h, int bpp, float x0, float y0, float px,
                    float py, int row, int column, int least_sum, Look& out);

// Up to nine background colours of the board, the commonest first; empty without bright pixels.
void board_palette(const unsigned char* pixels, int w, int h, int bpp, std::vector<Rgb>& palette, float x0, float y0,
                   float px, float py);

// The palette colour most of a cell's clearly classed bright pixels are nearest to, or -1.
int cell_palette_index(const unsigned char* pixels, int w, int h, int bpp, float x0, float y0, float px, float py,
                       int row, int column, const std::vector<Rgb>& palette);

// Cuts the grid at the threshold, among the gaps of the 144 side values taken largest first, that
// leaves nine connected regions of nine cells. False, with regions untouched, when none does.
bool walls_to_map(const float vertical[9][8], const float horizontal[8][9], int regions[81]);

// Whether the lattice in the box shows marked diagonals (the lattice is taken as it is).
bool x_marked(const unsigned char* pixels, int w, int h, int bpp, int left, int top, int right, int bottom);

// The three tries of both detections: on_box runs on the ink-dark picture, then on it corrected for
// a rotation of 0.9 degrees or more, then on it straightened by its corners. Each try gives on_box
// the lattice box of box_for and, when that fails, the whole picture. True as soon as one succeeds.
// grey is the grey image of pixels.
using BoxTest = bool (*)(const unsigned char* pixels, const uint8_t* grey, int w, int h, int bpp, int left, int top,
                         int right, int bottom, void* ctx);
bool try_three_ways(const unsigned char* pixels, int w, int h, int bpp, BoxTest on_box, void* ctx);

// One test of several run through the same three tries; passed is set once it succeeds.
struct BoxTry {
    BoxTest on_box;
    void* ctx;
    bool passed;
};
// The three tries shared by several tests: each try's image and lattice box are made once, and each
// test stops at its own first success, just as it would alone. True when every test passed.
bool try_three_ways(const unsigned char* pixels, int w, int h, int bpp, BoxTry* tries, int n);

// Both detections at once, for about the cost of one: the answers of ocr_detect_x (into x) and of
// ocr_detect_regions (its result into has_regions, its map into regions).
void ocr_detect_rules(const unsigned char* pixels, int w, int h, int bpp, bool& x, bool& has_regions, int regions[81]);
