// The five plug-ins the game uses, each registered by name.
#include "generated_plugin_registrant.h"

#include <plugins/audioplayers_linux_plugin.h>
#include <plugins/file_selector_plugin.h>
#include <plugins/gtk_plugin.h>
#include <plugins/pasteboard_plugin.h>
#include <plugins/url_launcher_plugin.h>

void fl_register_plugins(FlPluginRegistry* registry) {
    g_autoptr(FlPluginRegistrar) audioplayers_linux_registrar =
        fl_plugin_registry_get_registrar_for_plugin(registry, "AudioplayersLinuxPlugin");
    audioplayers_linux_plugin_register_with_registrar(audioplayers_linux_registrar);
    g_autoptr(FlPluginRegistrar) file_selector_linux_registrar =
        fl_plugin_registry_get_registrar_for_plugin(registry, "FileSelectorPlugin");
    file_selector_plugin_register_with_registrar(file_selector_linux_registrar);
    g_autoptr(FlPluginRegistrar) gtk_registrar = fl_plugin_registry_get_registrar_for_plugin(registry, "GtkPlugin");
    gtk_plugin_register_with_registrar(gtk_registrar);
    g_autoptr(FlPluginRegistrar) pasteboard_registrar =
        fl_plugin_registry_get_registrar_for_plugin(registry, "PasteboardPlugin");
    pasteboard_plugin_register_with_registrar(pasteboard_registrar);
    g_autoptr(FlPluginRegistrar) url_launcher_linux_registrar =
        fl_plugin_registry_get_registrar_for_plugin(registry, "UrlLauncherPlugin");
    url_launcher_plugin_register_with_registrar(url_launcher_linux_registrar);
}
