// Puzzle lines as people type and paste them: 81 clues ('1'-'9', '.' or '0'), and for a jigsaw
// the 81 group digits '0'-'8'; read from files and command lines with the place of each line.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace frontend {

struct PuzzleLine {
    int clues[81] = {};
    int groups[81] = {};
    bool has_groups = false;  // a group map followed the clues
    int map_kind = 0;         // 1 when the groups are not the 3x3 boxes
    int adjacency = 0;        // 1 when both long diagonals are houses too (the caller's choice)
};

// Reads one line (whitespace anywhere is ignored). False with a sentence for people when it is not
// 81 clues, optionally followed by 81 group digits forming nine groups of nine cells, each one piece.
bool parse_puzzle_line(const std::string& text, PuzzleLine& out, std::string& why);
// The same, and the clues must not repeat a digit in a house (the diagonals too with adjacency 1).
bool parse_sound_puzzle_line(const std::string& text, int adjacency, PuzzleLine& out, std::string& why);
// The first digit given twice in one house, as a sentence naming the house and both cells; false
// when there is none.
bool find_repeated_clue(const int* clues, const int* groups, int adjacency, std::string& why);
// Blank lines and lines starting with '#' carry no puzzle.
bool is_blank_or_comment(const std::string& text);

std::string digits_string(const int* digits);  // '.' for 0
std::string groups_string(const int* groups);
// The line for clues (and a space and the groups when `with_groups`).
std::string format_puzzle_line(const int* clues, const int* groups, bool with_groups);
// The 3x3 boxes as a group map.
void square_groups(int* groups);
// 1 when the groups are not the 3x3 boxes (a jigsaw), else 0.
int map_kind_of(const int* groups);
// The first group 0..8 whose cells do not form one piece joined through shared edges, or -1 when
// every group does. A jigsaw group is one piece; a map split into scattered cells is no jigsaw, and
// its puzzles can keep the exact search busy for seconds.
int disconnected_group(const int* groups);
// Four colours 0..3 for nine groups so that groups sharing a cell edge differ; false when the
// map cannot be coloured so (it always can for a real map).
bool colour_groups(const int* groups, int* colours);

// A line of text and where it came from, for messages: "<stdin>:3", "file.txt:12", "--puzzle 2".
struct SourceLine {
    std::string where;
    std::string text;
};
// The lines of puzzles given inline ("--puzzle N") and in files ('-' or none at all: standard
// input). False with "FILE: reason" in `why` when a file cannot be read.
bool read_puzzle_sources(const std::vector<std::string>& inline_puzzles, const std::vector<std::string>& files,
                         std::vector<SourceLine>& out, std::string& why);
// Parses the lines into sound puzzles, passing blanks and comments by. A bad line is handed to
// `report` as "PLACE: reason" (with " (skipped)" when skip_bad); with skip_bad it is left out,
// otherwise parsing stops there and false is returned. `where` (may be null) gets each puzzle's place.
bool parse_puzzle_sources(const std::vector<SourceLine>& lines, int adjacency, bool skip_bad,
                          std::vector<PuzzleLine>& out, std::vector<std::string>* where,
                          const std::function<void(const std::string&)>& report);

}  // namespace frontend
