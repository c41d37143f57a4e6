// Reading a whole puzzle from a picture: straightening, fall-back readings and the referee between them.
#pragma once

// Number of alternative readings the referee weighs against the first one.
constexpr int kOcrAlternatives = 3;

// Reads the 81 cells of the picture (colour buffer, bpp 1..4) into out (0 = empty or unread, 1..9 a
// digit). False, with out all 0, only for invalid arguments; a picture without digits gives true
// and 81 zeros.
bool ocr_recognize(const unsigned char* pixels, int w, int h, int bpp, int out[81]);

// The referee's choice: the index of the alternative that replaces the first reading, or -1 to keep
// it. An alternative must read at least as many digits as the first reading and repeat strictly
// fewer digits than the reading chosen before it. regions (may be null) are the drawn region of
// each cell; diagonals makes both long diagonals houses.
int best_opinion(const int first[81], const int alts[kOcrAlternatives][81], const int* regions, bool diagonals);

// How often digits repeat in the reading: each digit adds one for every house of its cell in which
// an earlier cell already holds it. Houses: row, column, region (the 3x3 box when regions is null;
// none for a region number outside 0..8) and, with diagonals, the two long diagonals.
int ocr_unit_conflicts(const int reading[81], const int* regions, bool diagonals);
