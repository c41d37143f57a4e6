// The registrar a plug-in receives: its name and the view it serves.
#include "fl/fl_plugin_registrar.h"

#include "fl/fl_view.h"

struct _FlPluginRegistrar {
    GObject parent_instance;
    FlView* view;  // not owned: the view outlives every registration
    char* name;
};

G_DEFINE_TYPE(FlPluginRegistrar, fl_plugin_registrar, G_TYPE_OBJECT)

static void fl_plugin_registrar_finalize(GObject* object) {
    g_free(FL_PLUGIN_REGISTRAR(object)->name);
    G_OBJECT_CLASS(fl_plugin_registrar_parent_class)->finalize(object);
}

static void fl_plugin_registrar_class_init(FlPluginRegistrarClass* klass) {
    G_OBJECT_CLASS(klass)->finalize = fl_plugin_registrar_finalize;
}

static void fl_plugin_registrar_init(FlPluginRegistrar*) {}

FlPluginRegistrar* fl_plugin_registrar_new(FlView* view, const char* name) {
    auto* self = FL_PLUGIN_REGISTRAR(g_object_new(fl_plugin_registrar_get_type(), nullptr));
    self->view = view;
    self->name = g_strdup(name);
    return self;
}

FlView* fl_plugin_registrar_get_view(FlPluginRegistrar* registrar) {
    g_return_val_if_fail(FL_IS_PLUGIN_REGISTRAR(registrar), nullptr);
    return registrar->view;
}

const char* fl_plugin_registrar_get_name(FlPluginRegistrar* registrar) {
    g_return_val_if_fail(FL_IS_PLUGIN_REGISTRAR(registrar), nullptr);
    return registrar->name;
}
