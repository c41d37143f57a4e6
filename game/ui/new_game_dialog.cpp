// The new-game dialog.
#include "new_game_dialog.h"

#include <string>

#include "names.h"
#include "translate.h"

namespace ui {

namespace {

struct DialogState {
    const std::function<int(int, int, int)>* ready;
    GtkWidget* difficulty[10];
    GtkWidget* counts[10];
    GtkWidget* jigsaw;
    GtkWidget* x;
};

void refresh_counts(GtkWidget*, gpointer data) {
    auto* s = static_cast<DialogState*>(data);
    const int map = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(s->jigsaw)) ? 1 : 0;
    const int adj = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(s->x)) ? 1 : 0;
    for (int b = 0; b < 10; ++b) {
        const int n = (*s->ready)(map, adj, b);
        const std::string text = n > 0 ? std::to_string(n) + _(" ready") : _("made on request");
        gtk_label_set_text(GTK_LABEL(s->counts[b]), text.c_str());
    }
}

GtkWidget* heading(const char* text) {
    GtkWidget* label = gtk_label_new(nullptr);
    char* markup = g_markup_printf_escaped("<b>%s</b>", text);
    gtk_label_set_markup(GTK_LABEL(label), markup);
    g_free(markup);
    gtk_widget_set_halign(label, GTK_ALIGN_START);
    return label;
}

}  // namespace

bool run_new_game_dialog(GtkWindow* parent, const frontend::Engine& engine, bool jigsaw_available,
                         const std::function<int(int, int, int)>& ready, const std::string& current, Choice& choice) {
    GtkWidget* dialog = gtk_dialog_new_with_buttons(_("New game"), parent,
                                                    static_cast<GtkDialogFlags>(GTK_DIALOG_MODAL |
                                                                                GTK_DIALOG_DESTROY_WITH_PARENT),
                                                    _("_Cancel"), GTK_RESPONSE_CANCEL, _("_Start"), GTK_RESPONSE_ACCEPT,
                                                    nullptr);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
    GtkWidget* area = gtk_dialog_get_content_area(GTK_DIALOG(dialog));
    GtkWidget* grid = gtk_grid_new();
    gtk_grid_set_row_spacing(GTK_GRID(grid), 6);
    gtk_grid_set_column_spacing(GTK_GRID(grid), 18);
    gtk_container_set_border_width(GTK_CONTAINER(grid), 18);
    gtk_container_add(GTK_CONTAINER(area), grid);

    DialogState s{};
    s.ready = &ready;
    gtk_grid_attach(GTK_GRID(grid), heading(_("Difficulty")), 0, 0, 2, 1);
    if (!current.empty()) {
        GtkWidget* now = gtk_label_new((_("This puzzle: ") + current).c_str());
        gtk_label_set_line_wrap(GTK_LABEL(now), TRUE);
        gtk_label_set_max_width_chars(GTK_LABEL(now), 60);
        gtk_widget_set_halign(now, GTK_ALIGN_START);
        gtk_grid_attach(GTK_GRID(grid), now, 0, 12, 3, 1);
    }
    GSList* group = nullptr;
    for (int b = 0; b < 10; ++b) {
        const std::string title = bucket_title(engine, b);
        s.difficulty[b] = gtk_radio_button_new_with_mnemonic(group, title.c_str());
        group = gtk_radio_button_get_group(GTK_RADIO_BUTTON(s.difficulty[b]));
        gtk_widget_set_tooltip_text(s.difficulty[b], (std::string(_("Needs ")) + bucket_techniques(b)).c_str());
        s.counts[b] = gtk_label_new("");
        gtk_widget_set_halign(s.counts[b], GTK_ALIGN_START);
        gtk_style_context_add_class(gtk_widget_get_style_context(s.counts[b]), "dim-label");
        gtk_grid_attach(GTK_GRID(grid), s.difficulty[b], 0, b + 1, 1, 1);
        gtk_grid_attach(GTK_GRID(grid), s.counts[b], 1, b + 1, 1, 1);
    }
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(s.difficulty[choice.bucket >= 0 && choice.bucket < 10 ? choice.bucket : 1]),
                                 TRUE);

    gtk_grid_attach(GTK_GRID(grid), heading(_("Map")), 2, 0, 1, 1);
    GtkWidget* square = gtk_radio_button_new_with_mnemonic(nullptr, _("S_quare boxes"));
    s.jigsaw = gtk_radio_button_new_with_mnemonic_from_widget(GTK_RADIO_BUTTON(square), _("_Jigsaw groups"));
    gtk_grid_attach(GTK_GRID(grid), square, 2, 1, 1, 1);
    gtk_grid_attach(GTK_GRID(grid), s.jigsaw, 2, 2, 1, 1);
    if (!jigsaw_available) {
        gtk_widget_set_sensitive(s.jigsaw, FALSE);
        gtk_widget_set_tooltip_text(s.jigsaw, _("The jigsaw map files were not found"));
    } else if (choice.map_kind == 1) {
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(s.jigsaw), TRUE);
    }
    gtk_grid_attach(GTK_GRID(grid), heading(_("Rules")), 2, 4, 1, 1);
    GtkWidget* regular = gtk_radio_button_new_with_mnemonic(nullptr, _("_Regular"));
    s.x = gtk_radio_button_new_with_mnemonic_from_widget(GTK_RADIO_BUTTON(regular), _("_X: both diagonals too"));
    gtk_grid_attach(GTK_GRID(grid), regular, 2, 5, 1, 1);
    gtk_grid_attach(GTK_GRID(grid), s.x, 2, 6, 1, 1);
    if (choice.adjacency == 1) gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(s.x), TRUE);

    g_signal_connect(s.jigsaw, "toggled", G_CALLBACK(refresh_counts), &s);
    g_signal_connect(s.x, "toggled", G_CALLBACK(refresh_counts), &s);
    refresh_counts(nullptr, &s);
    gtk_widget_show_all(dialog);
    const bool start = gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_ACCEPT;
    if (start) {
        choice.map_kind = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(s.jigsaw)) ? 1 : 0;
        choice.adjacency = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(s.x)) ? 1 : 0;
        for (int b = 0; b < 10; ++b)
            if (gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(s.difficulty[b]))) choice.bucket = b;
    }
    gtk_widget_destroy(dialog);
    return start;
}

}  // namespace ui
