/* Audio plug-in: short event sounds through the desktop's sound theme, with an off switch. */
#pragma once

#include <fl/fl.h>

G_BEGIN_DECLS

void audioplayers_linux_plugin_register_with_registrar(FlPluginRegistrar* registrar);
/* Plays the theme's sound `event_id` (e.g. "complete", "dialog-warning") for the view's window.
 * FALSE when sounds are off, the plug-in is not registered or the desktop cannot play it. */
gboolean audio_plugin_play_event(FlView* view, const char* event_id, const char* description);
/* Sounds on or off (on after registration). */
void audio_plugin_set_enabled(FlView* view, gboolean enabled);
gboolean audio_plugin_get_enabled(FlView* view);

G_END_DECLS
