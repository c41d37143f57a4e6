// The application the host view starts: the Quadrillo game.
#include <fl/fl.h>

#include "screen.h"
#include "translate.h"

void fl_app_main(FlView* view, char** arguments) {
    frontend::bind_translations();
    ui::start_screen(view, arguments);
}
