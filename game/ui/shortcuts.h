// The keyboard shortcuts window (F1 or Ctrl+?).
#pragma once

#include <gtk/gtk.h>

namespace ui {

// Shows the window listing every key, over `parent`.
void show_shortcuts(GtkWindow* parent);

}  // namespace ui
