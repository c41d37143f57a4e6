// The referee's measure and choice on hand-made readings, and the whole-picture reader's argument checks.
#include <gtest/gtest.h>

#include <array>
#include <utility>
#include <vector>

#include "ffi/quorvel.h"
#include "ocr/grid_picture.h"
#include "ocr/ocr_recognize.h"

namespace {

using Reading = std::array<int, 81>;

// The first n cells, row-major, of a complete grid that keeps the rule: n digits, no repeat.
Reading clean(int n) {
    Reading r{};
    for (int i = 0; i < n; ++i) r[i] = (i / 9 * 3 + i / 27 + i % 9) % 9 + 1;
    return r;
}

// The reading with the given cells (index, digit) overwritten.
Reading with(Reading r, std::initializer_list<std::pair<int, int>> cells) {
    for (auto [i, d] : cells) r[i] = d;
    return r;
}

int choose(const Reading& first, const Reading& a0, const Reading& a1, const Reading& a2,
           const int* regions = nullptr, bool diagonals = false) {
    int alts[kOcrAlternatives][81];
    const Reading* all[kOcrAlternatives] = {&a0, &a1, &a2};
    for (int k = 0; k < kOcrAlternatives; ++k) std::copy(all[k]->begin(), all[k]->end(), alts[k]);
    return best_opinion(first.data(), alts, regions, diagonals);
}

}  // namespace

TEST(OcrReferee, RepeatsCountEveryHouseOncePerLaterDigit) {
    EXPECT_EQ(ocr_unit_conflicts(clean(81).data(), nullptr, false), 0);
    EXPECT_EQ(ocr_unit_conflicts(clean(81).data(), nullptr, true), 8);  // this grid's diagonals hold 5 digits each
    // Three fives in the top row: two repeats. A fourth in the centre repeats in column 4 and, when
    // diagonals count, on both diagonals (with the corners (0,0) and (0,8)).
    const Reading row = with(Reading{}, {{0, 5}, {4, 5}, {8, 5}});
    EXPECT_EQ(ocr_unit_conflicts(row.data(), nullptr, false), 2);
    const Reading centre = with(row, {{40, 5}});
    EXPECT_EQ(ocr_unit_conflicts(centre.data(), nullptr, false), 3);
    EXPECT_EQ(ocr_unit_conflicts(centre.data(), nullptr, true), 5);
    // Values outside 1..9 are no digits.
    EXPECT_EQ(ocr_unit_conflicts(with(Reading{}, {{0, 10}, {1, 10}, {2, -1}, {3, -1}}).data(), nullptr, false), 0);

    // Two sevens in one 3x3 box but in different rows, columns and drawn regions (the rows).
    const Reading box = with(Reading{}, {{0, 7}, {10, 7}});
    int rows[81];
    for (int i = 0; i < 81; ++i) rows[i] = i / 9;
    EXPECT_EQ(ocr_unit_conflicts(box.data(), nullptr, false), 1);
    EXPECT_EQ(ocr_unit_conflicts(box.data(), rows, false), 0);
    // Cells numbered alike share a region; a number outside 0..8 puts a cell in none.
    rows[10] = 0;
    EXPECT_EQ(ocr_unit_conflicts(box.data(), rows, false), 1);
    rows[0] = rows[10] = 12;
    EXPECT_EQ(ocr_unit_conflicts(box.data(), rows, false), 0);
    rows[0] = rows[10] = -1;
    EXPECT_EQ(ocr_unit_conflicts(box.data(), rows, false), 0);
}

TEST(OcrReferee, AlternativeNeedsFewerRepeatsAndNoFewerDigits) {
    // First reading: 20 clean digits plus a column repeat in the bottom corner, 21 digits, 1 repeat.
    const Reading first = with(clean(20), {{80, clean(81)[8]}});
    ASSERT_EQ(ocr_unit_conflicts(first.data(), nullptr, false), 1);
    const Reading none{};
    const Reading fewer_digits = clean(20);      // no repeat, but one digit short
    const Reading as_many = with(clean(21), {});  // no repeat, as many digits
    const Reading same_repeats = with(clean(30), {{80, clean(81)[8]}});

    EXPECT_EQ(choose(first, none, none, none), -1);  // alternatives never made read nothing
    EXPECT_EQ(choose(first, fewer_digits, fewer_digits, fewer_digits), -1);
    EXPECT_EQ(choose(first, same_repeats, same_repeats, same_repeats), -1);
    EXPECT_EQ(choose(first, as_many, none, none), 0);
    EXPECT_EQ(choose(first, fewer_digits, as_many, none), 1);
    EXPECT_EQ(choose(first, none, same_repeats, as_many), 2);
}

TEST(OcrReferee, LaterAlternativeMustBeatTheOneTakenBeforeIt) {
    // First reading repeats 3 times; each alternative reads at least its 24 digits.
    const Reading first = with(clean(21), {{80, 1}, {79, 1}, {71, 1}});
    ASSERT_EQ(ocr_unit_conflicts(first.data(), nullptr, false), 4);
    const Reading one = with(clean(40), {{80, clean(81)[8]}});  // 41 digits, 1 repeat
    const Reading two = with(clean(40), {{80, 9}, {62, 3}});   // 2 repeats, both in column 8
    const Reading zero = clean(24);                              // 24 digits, none repeated
    ASSERT_EQ(ocr_unit_conflicts(one.data(), nullptr, false), 1);
    ASSERT_EQ(ocr_unit_conflicts(two.data(), nullptr, false), 2);

    // "other polarity" repeating as often as "radial corners" loses to it, fewer wins.
    EXPECT_EQ(choose(first, one, first, one), 0);
    EXPECT_EQ(choose(first, one, first, zero), 2);
    EXPECT_EQ(choose(first, two, one, two), 1);
    // Digits are measured against the first reading, not against the reading taken before.
    EXPECT_EQ(choose(first, one, zero, Reading{}), 1);
}

TEST(OcrReferee, DrawnRegionsAndDiagonalsChangeTheChoice) {
    int rows[81];
    for (int i = 0; i < 81; ++i) rows[i] = i / 9;
    // First reading: a repeat inside the top-left box only, across two row regions.
    const Reading first = with(Reading{}, {{0, 1}, {10, 1}, {40, 5}});
    ASSERT_EQ(ocr_unit_conflicts(first.data(), nullptr, false), 1);
    ASSERT_EQ(ocr_unit_conflicts(first.data(), rows, false), 0);
    const Reading alt = with(first, {{10, 2}});
    EXPECT_EQ(choose(first, alt, alt, alt), 0);
    EXPECT_EQ(choose(first, alt, alt, alt, rows), -1);
    // A repeat on the main diagonal only counts when the diagonals are houses.
    const Reading diag = with(Reading{}, {{0, 5}, {40, 5}, {1, 2}});
    const Reading off = with(diag, {{40, 6}});
    EXPECT_EQ(choose(diag, off, off, off), -1);
    EXPECT_EQ(choose(diag, off, off, off, nullptr, true), 0);
}

TEST(OcrRecognize, RefusesBadArgumentsAndReadsEmptyPictures) {
    const grid_picture::Picture narrow = grid_picture::blank(26, 100);
    int out[81];
    std::fill(out, out + 81, 7);
    EXPECT_FALSE(ocr_recognize(narrow.px.data(), 26, 100, 1, out));
    EXPECT_EQ(std::vector<int>(out, out + 81), std::vector<int>(81, 0));
    const grid_picture::Picture pic = grid_picture::blank(100, 100);
    for (int bpp : {0, 5}) {
        std::fill(out, out + 81, 7);
        EXPECT_FALSE(ocr_recognize(pic.px.data(), 100, 100, bpp, out));
        EXPECT_EQ(out[80], 0);
    }
    EXPECT_FALSE(ocr_recognize(nullptr, 100, 100, 1, out));

    // The exported call refuses before touching anything.
    std::fill(out, out + 81, 7);
    EXPECT_EQ(sudoku_ocr_recognize(narrow.px.data(), 26, 100, 1, out), 0);
    EXPECT_EQ(sudoku_ocr_recognize(pic.px.data(), 100, 100, 5, out), 0);
    EXPECT_EQ(sudoku_ocr_recognize(nullptr, 100, 100, 1, out), 0);
    EXPECT_EQ(sudoku_ocr_recognize(pic.px.data(), 100, 100, 1, nullptr), 0);
    EXPECT_EQ(std::vector<int>(out, out + 81), std::vector<int>(81, 7));

    // No digits is still a reading: blank, an empty lattice, and the same drawn light on dark.
    grid_picture::Picture lattice = grid_picture::blank(300, 300);
    grid_picture::draw_upright(lattice, 20, 20, 260, 3);
    grid_picture::Picture dark = lattice;
    for (uint8_t& v : dark.px) v = static_cast<uint8_t>(255 - v);
    for (const grid_picture::Picture* p : std::initializer_list<const grid_picture::Picture*>{&pic, &lattice, &dark}) {
        std::fill(out, out + 81, 7);
        EXPECT_EQ(sudoku_ocr_recognize(p->px.data(), p->w, p->h, 1, out), 1);
        EXPECT_EQ(std::vector<int>(out, out + 81), std::vector<int>(81, 0));
    }
}
