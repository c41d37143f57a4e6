/* GTK integration plug-in: the window's title and full-screen state, files named on the command line. */
#pragma once

#include <fl/fl.h>

G_BEGIN_DECLS

void gtk_plugin_register_with_registrar(FlPluginRegistrar* registrar);
/* Sets the title of the view's window (and of its header bar when it has one). */
void gtk_plugin_set_window_title(FlView* view, const char* title);
/* Full screen on or off, and whether it is on. */
void gtk_plugin_set_fullscreen(FlView* view, gboolean fullscreen);
gboolean gtk_plugin_get_fullscreen(FlView* view);
/* The entry-point arguments that name existing files, in order (free with g_strfreev). */
char** gtk_plugin_get_command_line_files(FlView* view);

G_END_DECLS
