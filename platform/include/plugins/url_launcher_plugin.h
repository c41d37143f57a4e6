/* URL-launching plug-in: opens a page or file in the desktop's handler for it. */
#pragma once

#include <fl/fl.h>

G_BEGIN_DECLS

void url_launcher_plugin_register_with_registrar(FlPluginRegistrar* registrar);
/* Opens `url` for the view's window; FALSE with *error set (may be null) when it cannot. */
gboolean url_launcher_launch(FlView* view, const char* url, GError** error);

G_END_DECLS
