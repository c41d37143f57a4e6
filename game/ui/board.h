// The board widget: draws a game with Cairo at any size and exposes its cells to assistive
// technology.
#pragma once

#include <gtk/gtk.h>

#include <functional>

#include "game.h"

namespace ui {

// What the board draws besides the game itself; owned by the caller, read at each draw.
struct BoardState {
    const game::Game* game = nullptr;
    int selected = 0;
    bool paused = false;
    bool check = false;   // digits that differ from the solution are shown wrong
    bool dark = false;
    bool pencil = false;  // pencil mode (drawn as a sign on the selected cell)
    const SudokuStep* hint = nullptr;  // a hint to show where it applies, or null
    bool print = false;  // for paper and files: the givens only, light, no selection
    std::function<void(int cell, int button)> on_click;  // button 1 or 3 on a cell
    std::function<void()> on_drawn;                      // after each finished draw
};

GtkWidget* board_new(BoardState* state);
// Paints the board as the state says into a width x height area of `cr` (the widget uses it, and
// so do printing and picture export).
void paint_board(cairo_t* cr, const BoardState& state, double width, double height);
// The game or the state changed: redraw and refresh what assistive technology reads.
void board_changed(GtkWidget* board);
// The cell under a point of the widget, or -1.
int board_cell_at(GtkWidget* board, double x, double y);
// What a cell says to assistive technology: "Row 1, column 2: 5, given".
std::string describe_cell(const game::Game& game, int cell);

}  // namespace ui
