// Puzzles on paper and in files: printing through GTK's print dialog (which also writes PDF), and
// the board exported as PNG or SVG.
#pragma once

#include <gtk/gtk.h>

#include <string>
#include <vector>

#include "engine.h"
#include "record.h"

namespace ui {

// One puzzle to print and the caption above it ("Moderate · Square X").
struct PrintItem {
    game::GameRecord record;
    std::string caption;
};

// Prints the puzzles (givens only), `per_page` to a page (1, 2, 4 or 6). With `pdf_path` set the
// pages go straight to that PDF file; otherwise GTK's print dialog asks where. False with a reason
// on failure (a cancelled dialog is not a failure).
bool print_puzzles(GtkWindow* parent, const frontend::Engine& engine, const std::vector<PrintItem>& items, int per_page,
                   const std::string& pdf_path, std::string& why);

// Writes the board of `record` as it is being played (givens, the player's digits and marks) as a
// picture: PNG or SVG by the file's ending, `size` pixels (points for SVG) square.
bool export_board(const frontend::Engine& engine, const game::GameRecord& record, bool dark, int size,
                  const std::string& path, std::string& why);

}  // namespace ui
