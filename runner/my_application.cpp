// The desktop application: window, title bar, the hosting view and its plug-ins.
#include "my_application.h"

#include <fl/fl.h>
#ifdef GDK_WINDOWING_X11
#include <gdk/gdkx.h>
#endif

#include "generated_plugin_registrant.h"

#define APPLICATION_ID "org.quadrillo.quadrillo"

struct _MyApplication {
    GtkApplication parent_instance;
    char** entrypoint_arguments;
};

G_DEFINE_TYPE(MyApplication, my_application, GTK_TYPE_APPLICATION)

gboolean my_application_use_header_bar(gboolean x11_screen, const char* window_manager_name) {
    return !x11_screen || g_strcmp0(window_manager_name, "GNOME Shell") == 0;
}

// Shows the window once the view has its first frame, so it never appears empty.
static void first_frame_cb(MyApplication*, FlView* view) {
    gtk_widget_show(gtk_widget_get_toplevel(GTK_WIDGET(view)));
}

static void my_application_activate(GApplication* application) {
    MyApplication* self = MY_APPLICATION(application);
    GtkWindow* window = GTK_WINDOW(gtk_application_window_new(GTK_APPLICATION(application)));

    gboolean x11_screen = FALSE;
    const char* wm_name = nullptr;
#ifdef GDK_WINDOWING_X11
    GdkScreen* screen = gtk_window_get_screen(window);
    if (GDK_IS_X11_SCREEN(screen)) {
        x11_screen = TRUE;
        wm_name = gdk_x11_screen_get_window_manager_name(screen);
    }
#endif
    if (my_application_use_header_bar(x11_screen, wm_name)) {
        GtkHeaderBar* header_bar = GTK_HEADER_BAR(gtk_header_bar_new());
        gtk_widget_show(GTK_WIDGET(header_bar));
        gtk_header_bar_set_title(header_bar, "Quadrillo");
        gtk_header_bar_set_show_close_button(header_bar, TRUE);
        gtk_window_set_titlebar(window, GTK_WIDGET(header_bar));
    } else {
        gtk_window_set_title(window, "Quadrillo");
    }

    gtk_window_set_default_size(window, 1280, 720);

    g_autoptr(FlDartProject) project = fl_dart_project_new();
    fl_dart_project_set_dart_entrypoint_arguments(project, self->entrypoint_arguments);

    FlView* view = fl_view_new(project);
    GdkRGBA background_color;
    gdk_rgba_parse(&background_color, "#000000");
    fl_view_set_background_color(view, &background_color);
    gtk_widget_show(GTK_WIDGET(view));
    gtk_container_add(GTK_CONTAINER(window), GTK_WIDGET(view));

    g_signal_connect_swapped(view, "first-frame", G_CALLBACK(first_frame_cb), self);
    gtk_widget_realize(GTK_WIDGET(view));

    fl_register_plugins(FL_PLUGIN_REGISTRY(view));

    gtk_widget_grab_focus(GTK_WIDGET(view));
}

static gboolean my_application_local_command_line(GApplication* application, gchar*** arguments, int* exit_status) {
    MyApplication* self = MY_APPLICATION(application);
    // The first argument is the program name; the rest go to the hosted application.
    self->entrypoint_arguments = g_strdupv(*arguments + 1);

    g_autoptr(GError) error = nullptr;
    if (!g_application_register(application, nullptr, &error)) {
        g_warning("Failed to register: %s", error->message);
        *exit_status = 1;
        return TRUE;
    }

    g_application_activate(application);
    *exit_status = 0;
    return TRUE;
}

static void my_application_startup(GApplication* application) {
    G_APPLICATION_CLASS(my_application_parent_class)->startup(application);
}

static void my_application_shutdown(GApplication* application) {
    G_APPLICATION_CLASS(my_application_parent_class)->shutdown(application);
}

static void my_application_dispose(GObject* object) {
    MyApplication* self = MY_APPLICATION(object);
    g_clear_pointer(&self->entrypoint_arguments, g_strfreev);
    G_OBJECT_CLASS(my_application_parent_class)->dispose(object);
}

static void my_application_class_init(MyApplicationClass* klass) {
    G_APPLICATION_CLASS(klass)->activate = my_application_activate;
    G_APPLICATION_CLASS(klass)->local_command_line = my_application_local_command_line;
    G_APPLICATION_CLASS(klass)->startup = my_application_startup;
    G_APPLICATION_CLASS(klass)->shutdown = my_application_shutdown;
    G_OBJECT_CLASS(klass)->dispose = my_application_dispose;
}

static void my_application_init(MyApplication*) {}

MyApplication* my_application_new() {
    g_set_prgname(APPLICATION_ID);
    return MY_APPLICATION(g_object_new(my_application_get_type(), "application-id", APPLICATION_ID, "flags",
                                       G_APPLICATION_NON_UNIQUE, nullptr));
}
