// Finding the 9x9 lattice in a grey picture: dark-line runs, the lattice search, the comb score, skew and shear.
#pragma once

#include <cstdint>
#include <vector>

// Line finder: the centres of the runs of rows (rows = true) or columns whose pixels below t make
// up more than 35% of the line. Ascending positions.
std::vector<int> run_centres(const uint8_t* img, int w, int h, float t, bool rows);

// The outer frame of an evenly divided 9x9 lattice built from the run centres at threshold 128, or,
// with adaptive, at the picture's two-means threshold. The box is written only when one was found.
bool locate_lattice(const uint8_t* img, int w, int h, int& left, int& top, int& right, int& bottom,
                    bool adaptive);

// The lattice box of a grey picture: dark-on-light or light-on-dark, at both thresholds, the one
// whose inner lines show best. Outputs are written only on success.
bool ocr_locate_grid(const uint8_t* img, int w, int h, int* left, int* top, int* right, int* bottom);

// How many of the 16 inner lines of a 9x9 lattice spanning the whole picture show as darkness
// peaks near their places (0..16).
int comb_score(const uint8_t* img, int w, int h);

// The comb score of the box (both ends inclusive), or -1 when the box leaves the picture or is
// less than 27 pixels wide or high.
int comb_of_box(const uint8_t* img, int w, int h, int left, int top, int right, int bottom);

// The small rotation of the picture's dark lines, -6..+6 degrees in half degrees; positive when
// lines descend to the right. 0 for a picture without ink.
float estimate_skew_deg(const uint8_t* img, int w, int h);

// out becomes the w x h picture turned back by about `degrees` (a vertical then a horizontal
// shear); the uncovered margins are white.
void shear_correct(const uint8_t* img, int w, int h, float degrees, std::vector<uint8_t>& out);
