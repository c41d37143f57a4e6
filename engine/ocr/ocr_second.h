// The second opinion: a reading of its own for pictures whose first reading is not a sound puzzle, and the soundness test itself.
#pragma once

#include <cstdint>
#include <vector>

#include "ocr/ocr_read.h"

// How sound a reading is as a puzzle on given rules.
struct OcrVerdict {
    int repeats = 0;    // repeats of a digit in a house (ocr_unit_conflicts)
    int digits = 0;     // cells read
    int solutions = 0;  // 0, 1, 2 for two or more, -1 when the count ran out of budget or was not made
    bool sound() const { return repeats == 0 && digits >= 17 && solutions == 1; }
};

// A puzzle needs at least this many given digits to have exactly one solution.
constexpr int kOcrLeastClues = 17;
// Nodes the solution count may spend on one reading.
constexpr long kOcrCountBudget = 200000;

// Repeats, digits and, when there are no repeats and enough digits, the number of solutions (up to
// two) of a reading. regions (may be null for the 3x3 boxes) are the region of each cell, 0..8, and
// must form nine regions of nine cells; diagonals makes both long diagonals houses.
OcrVerdict ocr_verdict(const int reading[81], const int* regions, bool diagonals, long budget = kOcrCountBudget);

// True when verdict a is the better reading: sound before unsound; otherwise fewer repeats, then
// more digits, then exactly one solution before several.
bool ocr_verdict_better(const OcrVerdict& a, const OcrVerdict& b);

// What one cell of a reading holds, with the reader's doubt about it.
struct OcrCellGuess {
    int digit = 0;       // the digit read, 0 for none
    int second = 0;      // the next most probable class (0 = no digit)
    float prob = 1.0f;   // the probability of what was read (of "no digit" for an empty cell)
    float p_second = 0;  // the probability of `second`
    bool glyph = false;  // the cell held a glyph that reached the network
};

// Corners (top-left, top-right, bottom-right, bottom-left, in picture pixels) of the largest
// connected figure of ink found by a local threshold: a pixel darker than the mean of its
// neighbourhood by a margin. Picks out a grid of thin, light lines under uneven light. False when
// no figure is large enough or the quadrilateral is badly out of square.
bool ocr_adaptive_corners(const uint8_t* grey, int w, int h, float xs[4], float ys[4]);

// Reads a grey picture that shows exactly the grid (straightened so that the lattice is evenly
// divided over the whole side x side image): each cell by its own local contrast, the digit glyph
// with its broken strokes gathered, and the network. guesses (may be null) gets each cell's doubt.
// Returns the digits read.
int ocr_read_straight(const uint8_t* img, int side, int out[81], OcrCellGuess* guesses);

// The second opinion on a grey, dark-on-light picture: the grid straightened by several corner
// estimates and read by ocr_read_straight, the best reading on the rules, then doubtful cells
// tried with their next most probable digit until the puzzle has exactly one solution. Returns
// its verdict; out holds the reading (all 0 when nothing could be read).
OcrVerdict ocr_second_opinion(const uint8_t* grey, int w, int h, const int* regions, bool diagonals, int out[81]);

// Tries the next most probable class of doubtful cells, one cell and then two at a time, and keeps
// the first change that makes the reading sound. True when one did.
bool ocr_try_second_guesses(int reading[81], const OcrCellGuess guesses[81], const int* regions, bool diagonals,
                            OcrVerdict& verdict);
