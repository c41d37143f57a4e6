// A stand-in application for the runner's tests: reports what the host view gave it (arguments,
// plug-ins, window state) on standard output, draws one frame and quits.
#include <fl/fl.h>
#include <plugins/audioplayers_linux_plugin.h>
#include <plugins/gtk_plugin.h>
#include <plugins/pasteboard_plugin.h>
#include <plugins/url_launcher_plugin.h>

#include <cstdio>

namespace {

void report_window(GtkWidget* view, const char* when) {
    GtkWidget* top = gtk_widget_get_toplevel(view);
    GtkWidget* bar = gtk_window_get_titlebar(GTK_WINDOW(top));
    std::printf("%s visible=%d title=%s header_bar=%d", when, gtk_widget_get_visible(top),
                gtk_window_get_title(GTK_WINDOW(top)) ? gtk_window_get_title(GTK_WINDOW(top)) : "(none)",
                GTK_IS_HEADER_BAR(bar));
    if (GTK_IS_HEADER_BAR(bar))
        std::printf(" header_title=%s close=%d", gtk_header_bar_get_title(GTK_HEADER_BAR(bar)),
                    gtk_header_bar_get_show_close_button(GTK_HEADER_BAR(bar)));
    std::printf(" focus=%d\n", gtk_widget_is_focus(view));
    std::fflush(stdout);
}

gboolean quit_soon(gpointer) {
    g_application_quit(g_application_get_default());
    return G_SOURCE_REMOVE;
}

void on_first_frame(FlView* view, gpointer) {
    report_window(GTK_WIDGET(view), "after-first-frame");
    g_timeout_add(g_getenv("PROBE_LINGER_MS") ? atoi(g_getenv("PROBE_LINGER_MS")) : 50, quit_soon, nullptr);
}

}  // namespace

void fl_app_main(FlView* view, char** arguments) {
    int n = 0;
    for (char** a = arguments; *a; ++a, ++n) std::printf("arg[%d]=%s\n", n, *a);
    std::printf("args=%d\n", n);
    const char* plugins[] = {"AudioplayersLinuxPlugin", "FileSelectorPlugin", "GtkPlugin", "PasteboardPlugin",
                             "UrlLauncherPlugin"};
    for (const char* p : plugins) std::printf("plugin %s=%d\n", p, fl_view_has_plugin(view, p));
    char** files = gtk_plugin_get_command_line_files(view);
    for (char** f = files; *f; ++f) std::printf("file=%s\n", *f);
    g_strfreev(files);
    pasteboard_copy_text(view, "probe clipboard text");
    char* back = pasteboard_get_text(view);
    std::printf("clipboard=%s\n", back ? back : "(none)");
    g_free(back);
    GError* error = nullptr;
    std::printf("bad-url=%d\n", url_launcher_launch(view, "nosuchscheme-quadrillo://x", &error));
    g_clear_error(&error);
    audio_plugin_set_enabled(view, FALSE);
    std::printf("sound-when-off=%d\n", audio_plugin_play_event(view, "complete", "test"));
    report_window(GTK_WIDGET(view), "before-first-frame");
    GtkWidget* label = gtk_label_new("probe");
    gtk_widget_show(label);
    gtk_box_pack_start(GTK_BOX(view), label, TRUE, TRUE, 0);
    g_signal_connect(view, "first-frame", G_CALLBACK(on_first_frame), nullptr);
    fl_view_frame_ready(view);
}
