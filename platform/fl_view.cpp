// The view: hosts the application's widgets on a background colour, registers plug-ins and
// announces the first frame.
#include "fl/fl_view.h"

#include "fl/fl_app.h"

struct _FlView {
    GtkBox parent_instance;
    FlDartProject* project;
    GdkRGBA background;
    GHashTable* plugins;  // name -> plug-in state (or a placeholder), freed with the view
    guint start_source;
    gboolean started;
    gboolean frame_requested;
    gboolean first_frame_sent;
};

enum { SIGNAL_FIRST_FRAME, SIGNAL_COUNT };
static guint view_signals[SIGNAL_COUNT];

static void fl_view_registry_iface_init(FlPluginRegistryInterface* iface);

G_DEFINE_TYPE_WITH_CODE(FlView, fl_view, GTK_TYPE_BOX,
                        G_IMPLEMENT_INTERFACE(fl_plugin_registry_get_type(), fl_view_registry_iface_init))

namespace {

// A registered plug-in's entry: its own state and how to free it.
struct PluginSlot {
    gpointer data;
    GDestroyNotify destroy;
};

void free_slot(gpointer p) {
    auto* slot = static_cast<PluginSlot*>(p);
    if (slot->destroy && slot->data) slot->destroy(slot->data);
    g_free(slot);
}

gboolean start_application(gpointer data) {
    FlView* self = FL_VIEW(data);
    self->start_source = 0;
    if (!self->started) {
        self->started = TRUE;
        fl_app_main(self, fl_dart_project_get_dart_entrypoint_arguments(self->project));
    }
    return G_SOURCE_REMOVE;
}

// Lays the application's widgets out at the window's size and draws them once off screen, so the
// window appears with a finished picture rather than an empty frame.
gboolean draw_first_frame(gpointer data) {
    FlView* self = FL_VIEW(data);
    GtkWidget* widget = GTK_WIDGET(self);
    if (self->first_frame_sent) return G_SOURCE_REMOVE;
    GtkAllocation a;
    gtk_widget_get_allocation(widget, &a);
    if (a.width <= 1 || a.height <= 1) {
        GtkWidget* top = gtk_widget_get_toplevel(widget);
        int w = 0, h = 0;
        if (GTK_IS_WINDOW(top)) gtk_window_get_default_size(GTK_WINDOW(top), &w, &h);
        a.x = a.y = 0;
        a.width = w > 0 ? w : 640;
        a.height = h > 0 ? h : 480;
    }
    GtkRequisition minimum;
    gtk_widget_get_preferred_size(widget, &minimum, nullptr);
    gtk_widget_size_allocate(widget, &a);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, a.width, a.height);
    cairo_t* cr = cairo_create(surface);
    gtk_widget_draw(widget, cr);
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    self->first_frame_sent = TRUE;
    g_signal_emit(self, view_signals[SIGNAL_FIRST_FRAME], 0);
    return G_SOURCE_REMOVE;
}

}  // namespace

static FlPluginRegistrar* fl_view_get_registrar_for_plugin(FlPluginRegistry* registry, const gchar* name) {
    FlView* self = FL_VIEW(registry);
    if (!g_hash_table_contains(self->plugins, name))
        g_hash_table_insert(self->plugins, g_strdup(name), g_new0(PluginSlot, 1));
    return fl_plugin_registrar_new(self, name);
}

static void fl_view_registry_iface_init(FlPluginRegistryInterface* iface) {
    iface->get_registrar_for_plugin = fl_view_get_registrar_for_plugin;
}

static void fl_view_realize(GtkWidget* widget) {
    GTK_WIDGET_CLASS(fl_view_parent_class)->realize(widget);
    FlView* self = FL_VIEW(widget);
    // The application starts once the code that realized the view has finished with it (and
    // registered the plug-ins), on the next turn of the main loop.
    if (!self->started && !self->start_source) self->start_source = g_idle_add(start_application, self);
}

static gboolean fl_view_draw(GtkWidget* widget, cairo_t* cr) {
    FlView* self = FL_VIEW(widget);
    gdk_cairo_set_source_rgba(cr, &self->background);
    cairo_paint(cr);
    return GTK_WIDGET_CLASS(fl_view_parent_class)->draw(widget, cr);
}

static void fl_view_dispose(GObject* object) {
    FlView* self = FL_VIEW(object);
    if (self->start_source) g_source_remove(self->start_source);
    self->start_source = 0;
    g_clear_object(&self->project);
    g_clear_pointer(&self->plugins, g_hash_table_destroy);
    G_OBJECT_CLASS(fl_view_parent_class)->dispose(object);
}

static void fl_view_class_init(FlViewClass* klass) {
    G_OBJECT_CLASS(klass)->dispose = fl_view_dispose;
    GTK_WIDGET_CLASS(klass)->realize = fl_view_realize;
    GTK_WIDGET_CLASS(klass)->draw = fl_view_draw;
    view_signals[SIGNAL_FIRST_FRAME] = g_signal_new("first-frame", fl_view_get_type(), G_SIGNAL_RUN_LAST, 0,
                                                    nullptr, nullptr, nullptr, G_TYPE_NONE, 0);
}

static void fl_view_init(FlView* self) {
    self->background = GdkRGBA{0, 0, 0, 1};
    self->plugins = g_hash_table_new_full(g_str_hash, g_str_equal, g_free, free_slot);
    gtk_orientable_set_orientation(GTK_ORIENTABLE(self), GTK_ORIENTATION_VERTICAL);
    gtk_widget_set_can_focus(GTK_WIDGET(self), TRUE);
    gtk_widget_set_app_paintable(GTK_WIDGET(self), TRUE);
}

FlView* fl_view_new(FlDartProject* project) {
    FlView* self = FL_VIEW(g_object_new(fl_view_get_type(), nullptr));
    self->project = FL_DART_PROJECT(g_object_ref(project));
    return self;
}

void fl_view_set_background_color(FlView* view, const GdkRGBA* color) {
    g_return_if_fail(FL_IS_VIEW(view) && color);
    view->background = *color;
    gtk_widget_queue_draw(GTK_WIDGET(view));
}

FlDartProject* fl_view_get_project(FlView* view) {
    g_return_val_if_fail(FL_IS_VIEW(view), nullptr);
    return view->project;
}

gboolean fl_view_has_plugin(FlView* view, const char* name) {
    g_return_val_if_fail(FL_IS_VIEW(view), FALSE);
    return view->plugins && g_hash_table_contains(view->plugins, name);
}

void fl_view_set_plugin_data(FlView* view, const char* name, gpointer data, GDestroyNotify destroy) {
    g_return_if_fail(FL_IS_VIEW(view) && name);
    auto* slot = g_new0(PluginSlot, 1);
    slot->data = data;
    slot->destroy = destroy;
    g_hash_table_replace(view->plugins, g_strdup(name), slot);
}

gpointer fl_view_get_plugin_data(FlView* view, const char* name) {
    g_return_val_if_fail(FL_IS_VIEW(view), nullptr);
    if (!view->plugins) return nullptr;
    auto* slot = static_cast<PluginSlot*>(g_hash_table_lookup(view->plugins, name));
    return slot ? slot->data : nullptr;
}

void fl_view_frame_ready(FlView* view) {
    g_return_if_fail(FL_IS_VIEW(view));
    if (view->frame_requested) return;
    view->frame_requested = TRUE;
    g_idle_add_full(G_PRIORITY_HIGH_IDLE + 20, draw_first_frame, g_object_ref(view), g_object_unref);
}
