// The front ends' puzzle-line parser under random and mutated input, and lines read from files with their places.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <string>

#include "puzzle_line.h"

namespace {

const std::string kClassic = "53..7....6..195....98....6.8...6...34..8.3..17...2...6.6....28....419..5....8..79";
const std::string kJigsaw =
    ".....19.339.4.681.....35...6.3.......6..5.....1.5...364.9..8...2.4..9.57..582.76. "
    "000111222300111224300111224330052244355555554336657744336687744666888777668888877";

// What an accepted grid must satisfy: digits and groups in range, nine cells a group, no repeats.
void expect_sound(const frontend::PuzzleLine& g) {
    int sizes[9] = {};
    for (int k = 0; k < 81; ++k) {
        ASSERT_GE(g.clues[k], 0);
        ASSERT_LE(g.clues[k], 9);
        ASSERT_GE(g.groups[k], 0);
        ASSERT_LE(g.groups[k], 8);
        ++sizes[g.groups[k]];
    }
    for (int s : sizes) EXPECT_EQ(s, 9);
    for (int a = 0; a < 81; ++a)
        for (int b = a + 1; b < 81; ++b) {
            if (!g.clues[a] || g.clues[a] != g.clues[b]) continue;
            const bool shared = a / 9 == b / 9 || a % 9 == b % 9 || g.groups[a] == g.groups[b] ||
                                (g.adjacency && ((a / 9 == a % 9 && b / 9 == b % 9) || (a / 9 + a % 9 == 8 && b / 9 + b % 9 == 8)));
            ASSERT_FALSE(shared) << "cells " << a << " and " << b;
        }
}

TEST(PuzzleLines, RandomAndMutatedLinesAreRefusedWithAReasonOrAcceptedSound) {
    std::mt19937 rng(8);
    const std::string alphabet = "0123456789.. \t#x-\xff";
    int accepted = 0;
    for (int round = 0; round < 20000; ++round) {
        std::string line;
        const int mode = round % 3;
        if (mode == 0) {  // random text of a random length around the two valid ones
            const int n = static_cast<int>(rng() % 180);
            for (int i = 0; i < n; ++i) line += alphabet[rng() % alphabet.size()];
        } else {  // a valid line with a few characters changed, dropped or added
            line = mode == 2 ? kJigsaw : kClassic;
            for (int m = static_cast<int>(rng() % 3); m >= 0; --m) {
                const size_t at = rng() % line.size();
                switch (rng() % 3) {
                    case 0: line[at] = alphabet[rng() % alphabet.size()]; break;
                    case 1: line.erase(at, 1); break;
                    default: line.insert(at, 1, alphabet[rng() % alphabet.size()]);
                }
            }
        }
        frontend::PuzzleLine g;
        std::string why;
        const int adjacency = static_cast<int>(rng() % 2);
        if (frontend::parse_sound_puzzle_line(line, adjacency, g, why)) {
            ++accepted;
            expect_sound(g);
            EXPECT_EQ(g.adjacency, adjacency);
        } else {
            EXPECT_FALSE(why.empty()) << line;
        }
    }
    EXPECT_GT(accepted, 100);  // the mutations keep some lines valid
}

TEST(PuzzleLines, MapsWithAGroupInTwoPiecesAreRefused) {
    // Nine groups of nine, but cell r5c4 of group 0 lies apart from the rest of it.
    const std::string split =
        "..3..9...329.1...6............................................................... "
        "012223333011222333011222634011555444511058664000555664077888364777888664777758864";
    frontend::PuzzleLine g;
    std::string why;
    EXPECT_FALSE(frontend::parse_sound_puzzle_line(split, 1, g, why));
    EXPECT_NE(why.find("group 0 is not one connected piece"), std::string::npos) << why;
    frontend::PuzzleLine line;
    // A real jigsaw, and the boxes, are one piece per group.
    EXPECT_TRUE(frontend::parse_sound_puzzle_line(kJigsaw, 0, g, why)) << why;
    EXPECT_TRUE(frontend::parse_puzzle_line(kJigsaw, line, why)) << why;
    EXPECT_EQ(frontend::disconnected_group(line.groups), -1);
    frontend::square_groups(line.groups);
    EXPECT_EQ(frontend::disconnected_group(line.groups), -1);
    // Touching only at a corner does not join two cells.
    std::swap(line.groups[20], line.groups[30]);  // r3c3 of box 0 trades places with r4c4 of box 4
    EXPECT_EQ(frontend::disconnected_group(line.groups), 0);
}

TEST(PuzzleLines, AcceptedLinesPrintBackAsTheyWereRead) {
    frontend::PuzzleLine g;
    std::string why;
    ASSERT_TRUE(frontend::parse_sound_puzzle_line(kJigsaw, 0, g, why)) << why;
    EXPECT_EQ(g.map_kind, 1);
    EXPECT_EQ(frontend::format_puzzle_line(g.clues, g.groups, g.map_kind == 1), kJigsaw);
    // Zeros are blanks, whitespace is ignored, and the box map given explicitly is a square puzzle.
    std::string zeros = kClassic;
    for (char& c : zeros) c = c == '.' ? '0' : c;
    std::string spaced = zeros.substr(0, 40);
    spaced += '\t';
    spaced += zeros.substr(40);
    spaced.append(" 000111222000111222000111222333444555333444555333444555666777888666777888666777888");
    ASSERT_TRUE(frontend::parse_sound_puzzle_line(spaced, 0, g, why)) << why;
    EXPECT_EQ(g.map_kind, 0);
    EXPECT_EQ(frontend::format_puzzle_line(g.clues, g.groups, g.map_kind == 1), kClassic);
}

TEST(PuzzleSources, BadLinesAreNamedByFileAndLineAndStopTheRunUnlessSkipped) {
    const std::string path = testing::TempDir() + "frontend_lines.txt";
    {
        std::ofstream f(path);
        f << "# puzzles\n" << kClassic << "\n\n" << kClassic.substr(1) << "\n"
          << "11" << kClassic.substr(2) << "\n" << kJigsaw << "\n";
    }
    std::vector<frontend::SourceLine> lines;
    std::string why;
    ASSERT_TRUE(frontend::read_puzzle_sources({kJigsaw}, {path}, lines, why)) << why;
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0].where, "--puzzle 1");
    EXPECT_EQ(lines[2].where, path + ":2");

    std::vector<std::string> reports, where;
    std::vector<frontend::PuzzleLine> puzzles;
    auto report = [&](const std::string& m) { reports.push_back(m); };
    EXPECT_FALSE(frontend::parse_puzzle_sources(lines, 0, false, puzzles, &where, report));
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0], path + ":4: 80 characters, expected 81 (clues) or 162 (clues and group map)");
    EXPECT_EQ(puzzles.size(), 2u);  // the lines before the bad one

    reports.clear(), puzzles.clear(), where.clear();
    EXPECT_TRUE(frontend::parse_puzzle_sources(lines, 0, true, puzzles, &where, report));
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[1], path + ":5: contradicting clues: digit 1 twice in row 1 (r1c1 and r1c2) (skipped)");
    EXPECT_EQ(where, (std::vector<std::string>{"--puzzle 1", path + ":2", path + ":6"}));
    EXPECT_EQ(puzzles[2].map_kind, 1);

    lines.clear();
    EXPECT_FALSE(frontend::read_puzzle_sources({}, {path + ".missing"}, lines, why));
    EXPECT_EQ(why, path + ".missing: No such file or directory");
}

TEST(PuzzleSources, TheDiagonalsAreHousesOnlyForX) {
    std::string anti(81, '.');
    anti[8] = anti[72] = '1';  // r1c9 and r9c1
    frontend::PuzzleLine g;
    std::string why;
    EXPECT_TRUE(frontend::parse_sound_puzzle_line(anti, 0, g, why)) << why;
    EXPECT_FALSE(frontend::parse_sound_puzzle_line(anti, 1, g, why));
    EXPECT_EQ(why, "contradicting clues: digit 1 twice in anti-diagonal (r1c9 and r9c1)");
}

}  // namespace
