// GTK integration plug-in: window title, full screen, files named on the command line.
#include "plugins/gtk_plugin.h"

namespace {

constexpr const char* kName = "GtkPlugin";

struct GtkState {
    gboolean fullscreen;
    gulong handler;
    GtkWidget* window;  // weak: the view's window
};

GtkState* state_of(FlView* view) {
    return static_cast<GtkState*>(fl_view_get_plugin_data(view, kName));
}

GtkWindow* window_of(FlView* view) {
    GtkWidget* top = gtk_widget_get_toplevel(GTK_WIDGET(view));
    return GTK_IS_WINDOW(top) ? GTK_WINDOW(top) : nullptr;
}

gboolean on_window_state(GtkWidget*, GdkEventWindowState* event, gpointer data) {
    static_cast<GtkState*>(data)->fullscreen = (event->new_window_state & GDK_WINDOW_STATE_FULLSCREEN) != 0;
    return FALSE;
}

void free_state(gpointer p) {
    auto* state = static_cast<GtkState*>(p);
    if (state->window) {
        g_signal_handler_disconnect(state->window, state->handler);
        g_object_remove_weak_pointer(G_OBJECT(state->window), reinterpret_cast<gpointer*>(&state->window));
    }
    g_free(state);
}

}  // namespace

void gtk_plugin_register_with_registrar(FlPluginRegistrar* registrar) {
    FlView* view = fl_plugin_registrar_get_view(registrar);
    auto* state = g_new0(GtkState, 1);
    if (GtkWindow* window = window_of(view)) {
        state->window = GTK_WIDGET(window);
        g_object_add_weak_pointer(G_OBJECT(window), reinterpret_cast<gpointer*>(&state->window));
        state->handler = g_signal_connect(window, "window-state-event", G_CALLBACK(on_window_state), state);
    }
    fl_view_set_plugin_data(view, kName, state, free_state);
}

void gtk_plugin_set_window_title(FlView* view, const char* title) {
    GtkWindow* window = state_of(view) ? window_of(view) : nullptr;
    if (!window || !title) return;
    GtkWidget* bar = gtk_window_get_titlebar(window);
    if (GTK_IS_HEADER_BAR(bar)) gtk_header_bar_set_title(GTK_HEADER_BAR(bar), title);
    gtk_window_set_title(window, title);
}

void gtk_plugin_set_fullscreen(FlView* view, gboolean fullscreen) {
    GtkState* state = state_of(view);
    GtkWindow* window = state ? window_of(view) : nullptr;
    if (!window) return;
    if (fullscreen)
        gtk_window_fullscreen(window);
    else
        gtk_window_unfullscreen(window);
    state->fullscreen = fullscreen;
}

gboolean gtk_plugin_get_fullscreen(FlView* view) {
    GtkState* state = state_of(view);
    return state && state->fullscreen;
}

char** gtk_plugin_get_command_line_files(FlView* view) {
    GPtrArray* files = g_ptr_array_new();
    char** args = state_of(view) ? fl_dart_project_get_dart_entrypoint_arguments(fl_view_get_project(view)) : nullptr;
    for (char** a = args; a && *a; ++a)
        if (g_file_test(*a, G_FILE_TEST_IS_REGULAR)) g_ptr_array_add(files, g_strdup(*a));
    g_ptr_array_add(files, nullptr);
    return reinterpret_cast<char**>(g_ptr_array_free(files, FALSE));
}
