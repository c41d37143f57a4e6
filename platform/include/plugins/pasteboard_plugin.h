/* Clipboard plug-in: text and pictures in and out. */
#pragma once

#include <fl/fl.h>

G_BEGIN_DECLS

void pasteboard_plugin_register_with_registrar(FlPluginRegistrar* registrar);
/* Puts text on the clipboard; FALSE when the plug-in is not registered. */
gboolean pasteboard_copy_text(FlView* view, const char* text);
/* The clipboard's text (free with g_free), or null when it holds none. */
char* pasteboard_get_text(FlView* view);
/* The clipboard's picture (release with g_object_unref), or null when it holds none. */
GdkPixbuf* pasteboard_get_image(FlView* view);

G_END_DECLS
