// The application the host view starts: the Quadrillo game.
#include <fl/fl.h>

#include "screen.h"
#include "translate.h"

void fl_app_main(FlView* view, char** arguments) {
    frontend::bind_translations();
    // The installed icon carries the application's id, as the desktop entry names it.
    gtk_window_set_default_icon_name("org.quadrillo.quadrillo");
    ui::start_screen(view, arguments);
}
