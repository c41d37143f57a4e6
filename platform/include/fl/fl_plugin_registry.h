/* Something that hands out plug-in registrars by name (the view is one). */
#pragma once

#include <glib-object.h>

#include "fl_plugin_registrar.h"

G_BEGIN_DECLS

G_DECLARE_INTERFACE(FlPluginRegistry, fl_plugin_registry, FL, PLUGIN_REGISTRY, GObject)

struct _FlPluginRegistryInterface {
    GTypeInterface g_iface;
    FlPluginRegistrar* (*get_registrar_for_plugin)(FlPluginRegistry* registry, const gchar* name);
};

/* A new registrar for plug-in `name`; the caller releases it with g_object_unref. */
FlPluginRegistrar* fl_plugin_registry_get_registrar_for_plugin(FlPluginRegistry* registry, const gchar* name);

G_END_DECLS
