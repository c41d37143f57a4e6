/* File-selection plug-in: the desktop's own open and save dialogs. */
#pragma once

#include <fl/fl.h>

G_BEGIN_DECLS

/* A named filter: a label and a null-terminated list of glob patterns ("*.png"). */
typedef struct FileSelectorFilter {
    const char* label;
    const char* const* patterns;
} FileSelectorFilter;

void file_selector_plugin_register_with_registrar(FlPluginRegistrar* registrar);
/* Asks for a file to open; the chosen path (free with g_free), or null when cancelled. */
char* file_selector_open(FlView* view, const char* title, const FileSelectorFilter* filters, int n_filters);
/* Asks where to save, proposing `suggested_name`; confirms overwriting. The path, or null. */
char* file_selector_save(FlView* view, const char* title, const char* suggested_name);

G_END_DECLS
