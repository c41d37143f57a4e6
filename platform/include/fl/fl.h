/* The embedder surface the desktop runner is written against: project, view, plug-in registry. */
#pragma once

#include "fl_app.h"
#include "fl_dart_project.h"
#include "fl_plugin_registrar.h"
#include "fl_plugin_registry.h"
#include "fl_view.h"
