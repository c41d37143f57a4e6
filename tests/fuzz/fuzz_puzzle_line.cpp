// Puzzle lines as typed or pasted, through the front ends' parser with and without the house check.
// A line either is refused with a reason or gives a grid that prints back to a line read the same way.
#include <cstdlib>
#include <string>

#include "fuzz_input.h"
#include "puzzle_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (int adjacency = 0; adjacency < 2; ++adjacency) {
        frontend::PuzzleLine g;
        std::string why;
        if (!frontend::parse_sound_puzzle_line(text, adjacency, g, why)) {
            if (why.empty()) std::abort();
            continue;
        }
        frontend::PuzzleLine again;
        if (!frontend::parse_sound_puzzle_line(frontend::format_puzzle_line(g.clues, g.groups, g.map_kind == 1),
                                               adjacency, again, why))
            std::abort();
        for (int k = 0; k < 81; ++k)
            if (again.clues[k] != g.clues[k] || again.groups[k] != g.groups[k]) std::abort();
    }
    frontend::PuzzleLine line;
    std::string why;
    if (!frontend::parse_puzzle_line(text, line, why)) return why.empty() ? (std::abort(), 0) : 0;
    frontend::PuzzleLine again;
    if (!frontend::parse_puzzle_line(frontend::format_puzzle_line(line.clues, line.groups, true), again, why))
        std::abort();
    int colours[9];
    frontend::colour_groups(line.groups, colours);
    return 0;
}
