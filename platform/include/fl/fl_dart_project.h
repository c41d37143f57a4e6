/* The hosted application's project: what the view starts it with (its entry-point arguments). */
#pragma once

#include <glib-object.h>

G_BEGIN_DECLS

G_DECLARE_FINAL_TYPE(FlDartProject, fl_dart_project, FL, DART_PROJECT, GObject)

/* A new project with no entry-point arguments. */
FlDartProject* fl_dart_project_new(void);
/* Keeps a copy of the null-terminated argument vector (null means none). */
void fl_dart_project_set_dart_entrypoint_arguments(FlDartProject* project, char** argv);
/* The stored arguments, null-terminated; never null (an empty vector when none were set). */
char** fl_dart_project_get_dart_entrypoint_arguments(FlDartProject* project);

G_END_DECLS
