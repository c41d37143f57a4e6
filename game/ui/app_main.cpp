// The application the host view starts: the Quadrillo game.
#include <fl/fl.h>

#include "screen.h"

void fl_app_main(FlView* view, char** arguments) { ui::start_screen(view, arguments); }
