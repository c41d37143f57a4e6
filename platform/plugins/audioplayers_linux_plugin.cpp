// Audio plug-in: event sounds through the desktop's event-sound library.
#include "plugins/audioplayers_linux_plugin.h"

#include <canberra-gtk.h>

namespace {

constexpr const char* kName = "AudioplayersLinuxPlugin";

struct AudioState {
    gboolean enabled;
};

AudioState* state_of(FlView* view) {
    return static_cast<AudioState*>(fl_view_get_plugin_data(view, kName));
}

}  // namespace

void audioplayers_linux_plugin_register_with_registrar(FlPluginRegistrar* registrar) {
    auto* state = g_new0(AudioState, 1);
    state->enabled = TRUE;
    fl_view_set_plugin_data(fl_plugin_registrar_get_view(registrar), kName, state, g_free);
}

gboolean audio_plugin_play_event(FlView* view, const char* event_id, const char* description) {
    AudioState* state = state_of(view);
    if (!state || !state->enabled || !event_id) return FALSE;
    const int rc = ca_gtk_play_for_widget(GTK_WIDGET(view), 0, CA_PROP_EVENT_ID, event_id,
                                          CA_PROP_EVENT_DESCRIPTION, description ? description : event_id, nullptr);
    return rc == CA_SUCCESS;
}

void audio_plugin_set_enabled(FlView* view, gboolean enabled) {
    if (AudioState* state = state_of(view)) state->enabled = enabled;
}

gboolean audio_plugin_get_enabled(FlView* view) {
    AudioState* state = state_of(view);
    return state && state->enabled;
}
