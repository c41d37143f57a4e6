/* A plug-in's handle on the view it is registered with. */
#pragma once

#include <glib-object.h>

G_BEGIN_DECLS

typedef struct _FlView FlView;

G_DECLARE_FINAL_TYPE(FlPluginRegistrar, fl_plugin_registrar, FL, PLUGIN_REGISTRAR, GObject)

/* A registrar for the plug-in `name` on `view` (the registrar holds no reference to the view). */
FlPluginRegistrar* fl_plugin_registrar_new(FlView* view, const char* name);
/* The view the plug-in serves. */
FlView* fl_plugin_registrar_get_view(FlPluginRegistrar* registrar);
/* The plug-in's name as it was asked for. */
const char* fl_plugin_registrar_get_name(FlPluginRegistrar* registrar);

G_END_DECLS
