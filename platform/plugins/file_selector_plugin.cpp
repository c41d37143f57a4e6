// File-selection plug-in: the desktop's native open and save dialogs, run modally.
#include "plugins/file_selector_plugin.h"

namespace {

constexpr const char* kName = "FileSelectorPlugin";

GtkWindow* window_of(FlView* view) {
    GtkWidget* top = gtk_widget_get_toplevel(GTK_WIDGET(view));
    return GTK_IS_WINDOW(top) ? GTK_WINDOW(top) : nullptr;
}

char* run_chooser(FlView* view, GtkFileChooserNative* chooser) {
    char* path = nullptr;
    if (gtk_native_dialog_run(GTK_NATIVE_DIALOG(chooser)) == GTK_RESPONSE_ACCEPT)
        path = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(chooser));
    g_object_unref(chooser);
    gtk_widget_grab_focus(GTK_WIDGET(view));
    return path;
}

}  // namespace

void file_selector_plugin_register_with_registrar(FlPluginRegistrar* registrar) {
    // The dialogs need no state; the slot marks the plug-in as present.
    fl_view_set_plugin_data(fl_plugin_registrar_get_view(registrar), kName, g_strdup(kName), g_free);
}

char* file_selector_open(FlView* view, const char* title, const FileSelectorFilter* filters, int n_filters) {
    if (!fl_view_get_plugin_data(view, kName)) return nullptr;
    GtkFileChooserNative* chooser =
        gtk_file_chooser_native_new(title, window_of(view), GTK_FILE_CHOOSER_ACTION_OPEN, "_Open", "_Cancel");
    for (int i = 0; i < n_filters; ++i) {
        GtkFileFilter* filter = gtk_file_filter_new();
        gtk_file_filter_set_name(filter, filters[i].label);
        for (const char* const* p = filters[i].patterns; p && *p; ++p) gtk_file_filter_add_pattern(filter, *p);
        gtk_file_chooser_add_filter(GTK_FILE_CHOOSER(chooser), filter);
    }
    return run_chooser(view, chooser);
}

char* file_selector_save(FlView* view, const char* title, const char* suggested_name) {
    if (!fl_view_get_plugin_data(view, kName)) return nullptr;
    GtkFileChooserNative* chooser =
        gtk_file_chooser_native_new(title, window_of(view), GTK_FILE_CHOOSER_ACTION_SAVE, "_Save", "_Cancel");
    gtk_file_chooser_set_do_overwrite_confirmation(GTK_FILE_CHOOSER(chooser), TRUE);
    if (suggested_name) gtk_file_chooser_set_current_name(GTK_FILE_CHOOSER(chooser), suggested_name);
    return run_chooser(view, chooser);
}
