// URL-launching plug-in: hands a URL to the desktop's handler for it.
#include "plugins/url_launcher_plugin.h"

namespace {

constexpr const char* kName = "UrlLauncherPlugin";

}  // namespace

void url_launcher_plugin_register_with_registrar(FlPluginRegistrar* registrar) {
    fl_view_set_plugin_data(fl_plugin_registrar_get_view(registrar), kName, g_strdup(kName), g_free);
}

gboolean url_launcher_launch(FlView* view, const char* url, GError** error) {
    if (!fl_view_get_plugin_data(view, kName) || !url) {
        g_set_error_literal(error, G_IO_ERROR, G_IO_ERROR_NOT_SUPPORTED, "URL launching is not available");
        return FALSE;
    }
    GtkWidget* top = gtk_widget_get_toplevel(GTK_WIDGET(view));
    return gtk_show_uri_on_window(GTK_IS_WINDOW(top) ? GTK_WINDOW(top) : nullptr, url, GDK_CURRENT_TIME, error);
}
