// The new-game dialog: difficulty, square or jigsaw, regular or x.
#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <string>

#include "engine.h"

namespace ui {

struct Choice {
    int map_kind = 0, adjacency = 0, bucket = 1;
};

// Runs the dialog modally over `parent`. `ready(map, adjacency, bucket)` tells how many puzzles
// of a choice are in stock (shown beside each difficulty); each difficulty says what it needs, and
// `current` (may be empty) explains the puzzle in play. True with `choice` set when the player
// starts a game.
bool run_new_game_dialog(GtkWindow* parent, const frontend::Engine& engine, bool jigsaw_available,
                         const std::function<int(int, int, int)>& ready, const std::string& current, Choice& choice);

}  // namespace ui
