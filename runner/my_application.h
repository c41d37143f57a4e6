// The desktop application: one window titled "Quadrillo" hosting the game's view.
#ifndef RUNNER_MY_APPLICATION_H_
#define RUNNER_MY_APPLICATION_H_

#include <gtk/gtk.h>

G_DECLARE_FINAL_TYPE(MyApplication, my_application, MY, APPLICATION, GtkApplication)

// A new application; every start is an independent instance.
MyApplication* my_application_new();

// The title-bar rule: a header bar, unless the screen is an X11 screen whose window manager is
// not "GNOME Shell" (then a plain window title).
gboolean my_application_use_header_bar(gboolean x11_screen, const char* window_manager_name);

#endif  // RUNNER_MY_APPLICATION_H_
