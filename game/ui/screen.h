// The game's screen inside the host view: board, number pad, status, menus and dialogs.
#pragma once

#include <fl/fl.h>

namespace ui {

// Builds the game inside `view`, loads the engine, resumes or starts a game (or the puzzle the
// arguments name) and reports the first frame to the view.
void start_screen(FlView* view, char** arguments);

}  // namespace ui
