// The puzzle editor: the player types givens (and for a jigsaw a group map), or corrects what the
// picture reader saw beside the picture, with a live verdict; the game starts once the puzzle has
// exactly one solution.
#pragma once

#include <gtk/gtk.h>

#include <string>

#include "engine.h"
#include "puzzle_line.h"
#include "record.h"

namespace ui {

struct EditorStart {
    frontend::PuzzleLine line;   // the givens (and groups) to start from; all blank for a new entry
    int adjacency = 0;
    GdkPixbuf* picture = nullptr;  // shown beside the grid when set (not owned)
    std::string note;              // a line above the grid, e.g. how the picture was read
};

// Runs the editor modally over `parent`. True with the game's record in `out` when the player
// starts it (only possible with exactly one solution).
bool run_puzzle_editor(GtkWindow* parent, const frontend::Engine& engine, const EditorStart& start,
                       game::GameRecord& out);

}  // namespace ui
