// Puzzle lines as people type and paste them: 81 clues ('1'-'9', '.' or '0'), and for a jigsaw
// the 81 group digits '0'-'8'.
#pragma once

#include <string>

namespace frontend {

struct PuzzleLine {
    int clues[81] = {};
    int groups[81] = {};
    bool has_groups = false;  // a group map followed the clues
};

// Reads one line (whitespace anywhere is ignored). False with a sentence for the player when it is
// not 81 clues, optionally followed by 81 group digits forming nine groups of nine cells.
bool parse_puzzle_line(const std::string& text, PuzzleLine& out, std::string& why);
// The line for clues (and groups when `with_groups`), '.' for a blank.
std::string format_puzzle_line(const int* clues, const int* groups, bool with_groups);
// The 3x3 boxes as a group map.
void square_groups(int* groups);
// The first group 0..8 whose cells do not form one piece joined through shared edges, or -1 when
// every group does. A jigsaw group is one piece; a map split into scattered cells is no jigsaw, and
// its puzzles can keep the exact search busy for seconds.
int disconnected_group(const int* groups);
// Four colours 0..3 for nine groups so that groups sharing a cell edge differ; false when the
// map cannot be coloured so (it always can for a real map).
bool colour_groups(const int* groups, int* colours);

}  // namespace frontend
