// Registers the desktop program's plug-ins with a registry.
#ifndef RUNNER_GENERATED_PLUGIN_REGISTRANT_H_
#define RUNNER_GENERATED_PLUGIN_REGISTRANT_H_

#include <fl/fl.h>

// Registers the five plug-ins on the registry, in their fixed order.
void fl_register_plugins(FlPluginRegistry* registry);

#endif  // RUNNER_GENERATED_PLUGIN_REGISTRANT_H_
