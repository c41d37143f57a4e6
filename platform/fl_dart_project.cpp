// The project object: a holder for the hosted application's entry-point arguments.
#include "fl/fl_dart_project.h"

struct _FlDartProject {
    GObject parent_instance;
    char** arguments;
};

G_DEFINE_TYPE(FlDartProject, fl_dart_project, G_TYPE_OBJECT)

static void fl_dart_project_finalize(GObject* object) {
    FlDartProject* self = FL_DART_PROJECT(object);
    g_clear_pointer(&self->arguments, g_strfreev);
    G_OBJECT_CLASS(fl_dart_project_parent_class)->finalize(object);
}

static void fl_dart_project_class_init(FlDartProjectClass* klass) {
    G_OBJECT_CLASS(klass)->finalize = fl_dart_project_finalize;
}

static void fl_dart_project_init(FlDartProject* self) {
    self->arguments = g_new0(char*, 1);
}

FlDartProject* fl_dart_project_new(void) {
    return FL_DART_PROJECT(g_object_new(fl_dart_project_get_type(), nullptr));
}

void fl_dart_project_set_dart_entrypoint_arguments(FlDartProject* project, char** argv) {
    g_return_if_fail(FL_IS_DART_PROJECT(project));
    g_strfreev(project->arguments);
    project->arguments = argv ? g_strdupv(argv) : g_new0(char*, 1);
}

char** fl_dart_project_get_dart_entrypoint_arguments(FlDartProject* project) {
    g_return_val_if_fail(FL_IS_DART_PROJECT(project), nullptr);
    return project->arguments;
}
