/* The entry point of the application a view hosts, and how it reports its first frame. */
#pragma once

#include "fl_view.h"

G_BEGIN_DECLS

/* Called once per view after the view is realized and its plug-ins are registered: the
 * application fills `view` with its widgets. `arguments` is the project's null-terminated
 * entry-point argument vector (empty when there are none); it stays valid while the view lives.
 * The program links exactly one application that defines it. */
void fl_app_main(FlView* view, char** arguments);

/* Tells the view that the application's widgets are in place: the view draws their first frame
 * and then emits "first-frame". Calling it again does nothing. */
void fl_view_frame_ready(FlView* view);

G_END_DECLS
