// Puzzles that come from outside (a typed or pasted line, a file, a picture): their verdict and
// the game record they become.
#pragma once

#include <string>

#include "engine.h"
#include "puzzle_line.h"
#include "record.h"

namespace game {

enum class Verdict { Refused, NoSolution, Several, Unique };

struct Import {
    Verdict verdict = Verdict::Refused;
    int bucket = -1;           // difficulty bucket of a unique puzzle
    std::string label;         // its bucket word
    std::string description;   // the engine's readable difficulty
    std::string why;           // for anything but Unique: a sentence for the player
    GameRecord record{};       // for Unique: the game, ready to start
};

// Judges clues on groups (map kind from the groups: boxes are square) with the engine's
// classification and, for exactly one solution, builds the game. Slow on strange input: call
// it off the main thread.
Import import_puzzle(const frontend::Engine& engine, const frontend::PuzzleLine& line, int adjacency);

// The text of a puzzle file or a command-line argument: the first line that parses. `why` tells
// the player what was wrong when none does.
bool first_puzzle_in_text(const std::string& text, frontend::PuzzleLine& out, std::string& why);

// Solves clues on groups by search; true with the first solution found and *count (0, 1 or 2,
// counting stops at 2; -1 when `node_limit` search steps did not settle it, so that a strange
// puzzle never keeps a worker busy for long).
bool solve_clues(const int* clues, const int* groups, int adjacency, int* solution, int* count,
                 long node_limit = 2'000'000);

}  // namespace game
