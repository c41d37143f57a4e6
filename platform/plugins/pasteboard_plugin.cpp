// Clipboard plug-in: copies text, and reads text or a picture back from the desktop's clipboard.
#include "plugins/pasteboard_plugin.h"

namespace {

constexpr const char* kName = "PasteboardPlugin";

GtkClipboard* clipboard_of(FlView* view) {
    if (!fl_view_get_plugin_data(view, kName)) return nullptr;
    return gtk_widget_get_clipboard(GTK_WIDGET(view), GDK_SELECTION_CLIPBOARD);
}

}  // namespace

void pasteboard_plugin_register_with_registrar(FlPluginRegistrar* registrar) {
    fl_view_set_plugin_data(fl_plugin_registrar_get_view(registrar), kName, g_strdup(kName), g_free);
}

gboolean pasteboard_copy_text(FlView* view, const char* text) {
    GtkClipboard* clipboard = clipboard_of(view);
    if (!clipboard || !text) return FALSE;
    gtk_clipboard_set_text(clipboard, text, -1);
    gtk_clipboard_store(clipboard);
    return TRUE;
}

char* pasteboard_get_text(FlView* view) {
    GtkClipboard* clipboard = clipboard_of(view);
    return clipboard ? gtk_clipboard_wait_for_text(clipboard) : nullptr;
}

GdkPixbuf* pasteboard_get_image(FlView* view) {
    GtkClipboard* clipboard = clipboard_of(view);
    if (!clipboard || !gtk_clipboard_wait_is_image_available(clipboard)) return nullptr;
    return gtk_clipboard_wait_for_image(clipboard);
}
