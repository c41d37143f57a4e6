/* The view widget that hosts the application: background colour, plug-in registry, "first-frame". */
#pragma once

#include <gtk/gtk.h>

#include "fl_dart_project.h"
#include "fl_plugin_registry.h"

G_BEGIN_DECLS

G_DECLARE_FINAL_TYPE(FlView, fl_view, FL, VIEW, GtkBox)

/* A view that starts the hosted application with the project's entry-point arguments once it is
 * realized. It emits "first-frame" (no arguments) once, after the application's first frame has
 * been drawn. */
FlView* fl_view_new(FlDartProject* project);
/* The colour painted behind the application's widgets. */
void fl_view_set_background_color(FlView* view, const GdkRGBA* color);
/* The project the view was made with. */
FlDartProject* fl_view_get_project(FlView* view);
/* Whether the plug-in `name` has been registered on the view. */
gboolean fl_view_has_plugin(FlView* view, const char* name);
/* Per-plug-in state a plug-in keeps on its view, freed with the view. */
void fl_view_set_plugin_data(FlView* view, const char* name, gpointer data, GDestroyNotify destroy);
gpointer fl_view_get_plugin_data(FlView* view, const char* name);

G_END_DECLS
