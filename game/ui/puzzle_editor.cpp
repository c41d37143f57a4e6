// The puzzle editor dialog: 81 cells, the kind, and a verdict that follows every change.
#include "puzzle_editor.h"

#include <algorithm>
#include <memory>

#include "imported.h"
#include "jobs.h"
#include "names.h"
#include "translate.h"

namespace ui {

namespace {

struct Editor {
    const frontend::Engine* engine;
    GtkWidget* dialog;
    GtkWidget* cells[81];
    GtkWidget* jigsaw;
    GtkWidget* groups;
    GtkWidget* x;
    GtkWidget* verdict;
    GtkWidget* start;
    guint check_source = 0;
    guint poll_source = 0;
    std::shared_ptr<Job> job;
    game::GameRecord record{};
    bool unique = false;
};

// The puzzle as typed; false with a reason when the group map is not one.
bool read_editor(Editor* e, frontend::PuzzleLine& line, int& adjacency, std::string& why) {
    std::string text;
    for (GtkWidget* c : e->cells) {
        const char* t = gtk_entry_get_text(GTK_ENTRY(c));
        text += t[0] >= '1' && t[0] <= '9' ? t[0] : '.';
    }
    if (gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(e->jigsaw))) text += gtk_entry_get_text(GTK_ENTRY(e->groups));
    adjacency = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(e->x)) ? 1 : 0;
    return frontend::parse_puzzle_line(text, line, why);
}

// Marks the cells whose digit repeats in a row, column or group: the ones to look at first.
void mark_repeats(Editor* e, const frontend::PuzzleLine& line, int adjacency) {
    for (int k = 0; k < 81; ++k) {
        bool clash = false;
        for (int j = 0; j < 81 && line.clues[k] && !clash; ++j) {
            if (j == k || line.clues[j] != line.clues[k]) continue;
            const bool diag = adjacency && ((k / 9 == k % 9 && j / 9 == j % 9) || (k / 9 + k % 9 == 8 && j / 9 + j % 9 == 8));
            clash = k / 9 == j / 9 || k % 9 == j % 9 || line.groups[k] == line.groups[j] || diag;
        }
        GtkStyleContext* style = gtk_widget_get_style_context(e->cells[k]);
        if (clash)
            gtk_style_context_add_class(style, "error");
        else
            gtk_style_context_remove_class(style, "error");
    }
}

gboolean poll_verdict(gpointer data) {
    auto* e = static_cast<Editor*>(data);
    if (!e->job || !e->job->done) return G_SOURCE_CONTINUE;
    const game::Import& im = e->job->import;
    std::string text;
    e->unique = im.verdict == game::Verdict::Unique;
    if (e->unique) {
        e->record = im.record;
        text = _("Exactly one solution: ") + bucket_title(*e->engine, im.bucket) +
               (im.description.empty() ? "" : " (" + im.description + ")") + ".";
    } else {
        text = im.why.empty() ? _("This is not a puzzle yet.") : _("Not playable: ") + im.why + ".";
    }
    gtk_label_set_text(GTK_LABEL(e->verdict), text.c_str());
    gtk_widget_set_sensitive(e->start, e->unique);
    e->job.reset();
    e->poll_source = 0;
    return G_SOURCE_REMOVE;
}

gboolean check_now(gpointer data) {
    auto* e = static_cast<Editor*>(data);
    e->check_source = 0;
    frontend::PuzzleLine line;
    int adjacency;
    std::string why;
    e->unique = false;
    gtk_widget_set_sensitive(e->start, FALSE);
    if (e->job) e->job->cancel = true;
    if (!read_editor(e, line, adjacency, why)) {
        gtk_label_set_text(GTK_LABEL(e->verdict), (_("The group map is not usable: ") + why + ".").c_str());
        return G_SOURCE_REMOVE;
    }
    mark_repeats(e, line, adjacency);
    gtk_label_set_text(GTK_LABEL(e->verdict), _("Checking…"));
    e->job = start_import(*e->engine, line, adjacency);
    if (!e->poll_source) e->poll_source = g_timeout_add(30, poll_verdict, e);
    return G_SOURCE_REMOVE;
}

void changed(GtkWidget*, gpointer data) {
    auto* e = static_cast<Editor*>(data);
    if (e->check_source) g_source_remove(e->check_source);
    e->check_source = g_timeout_add(120, check_now, e);
}

// A typed digit moves on to the next cell, as a player types a line.
void cell_inserted(GtkEditable* editable, gchar*, gint, gpointer, gpointer data) {
    auto* e = static_cast<Editor*>(data);
    for (int k = 0; k < 80; ++k)
        if (GTK_WIDGET(editable) == e->cells[k]) {
            gtk_widget_grab_focus(e->cells[k + 1]);
            break;
        }
}

}  // namespace

bool run_puzzle_editor(GtkWindow* parent, const frontend::Engine& engine, const EditorStart& start,
                       game::GameRecord& out) {
    Editor e{};
    e.engine = &engine;
    e.dialog = gtk_dialog_new_with_buttons(start.picture ? _("Check the reading") : _("Your own puzzle"), parent,
                                           static_cast<GtkDialogFlags>(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT),
                                           _("_Cancel"), GTK_RESPONSE_CANCEL, nullptr);
    e.start = gtk_dialog_add_button(GTK_DIALOG(e.dialog), _("_Play"), GTK_RESPONSE_ACCEPT);
    gtk_widget_set_sensitive(e.start, FALSE);
    gtk_dialog_set_default_response(GTK_DIALOG(e.dialog), GTK_RESPONSE_ACCEPT);
    GtkWidget* body = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 18);
    gtk_container_set_border_width(GTK_CONTAINER(body), 18);
    gtk_container_add(GTK_CONTAINER(gtk_dialog_get_content_area(GTK_DIALOG(e.dialog))), body);
    if (start.picture) {
        const int w = gdk_pixbuf_get_width(start.picture), h = gdk_pixbuf_get_height(start.picture);
        const double scale = std::min(1.0, 420.0 / std::max(w, h));
        GdkPixbuf* small = gdk_pixbuf_scale_simple(start.picture, std::max(1, static_cast<int>(w * scale)),
                                                   std::max(1, static_cast<int>(h * scale)), GDK_INTERP_BILINEAR);
        gtk_box_pack_start(GTK_BOX(body), gtk_image_new_from_pixbuf(small), FALSE, FALSE, 0);
        g_object_unref(small);
    }
    GtkWidget* right = gtk_box_new(GTK_ORIENTATION_VERTICAL, 10);
    gtk_box_pack_start(GTK_BOX(body), right, TRUE, TRUE, 0);
    GtkWidget* note = gtk_label_new(start.note.empty() ? _("Type the givens; Tab or a digit moves on.") : start.note.c_str());
    gtk_label_set_line_wrap(GTK_LABEL(note), TRUE);
    gtk_label_set_xalign(GTK_LABEL(note), 0);
    gtk_box_pack_start(GTK_BOX(right), note, FALSE, FALSE, 0);
    GtkWidget* grid = gtk_grid_new();
    for (int k = 0; k < 81; ++k) {
        GtkWidget* c = gtk_entry_new();
        gtk_entry_set_max_length(GTK_ENTRY(c), 1);
        gtk_entry_set_width_chars(GTK_ENTRY(c), 2);
        gtk_entry_set_alignment(GTK_ENTRY(c), 0.5);
        gtk_entry_set_input_purpose(GTK_ENTRY(c), GTK_INPUT_PURPOSE_DIGITS);
        gtk_entry_set_activates_default(GTK_ENTRY(c), TRUE);
        const std::string name = _("Row ") + std::to_string(k / 9 + 1) + _(", column ") + std::to_string(k % 9 + 1);
        atk_object_set_name(gtk_widget_get_accessible(c), name.c_str());
        if (start.line.clues[k]) {
            const char text[2] = {static_cast<char>('0' + start.line.clues[k]), 0};
            gtk_entry_set_text(GTK_ENTRY(c), text);
        }
        gtk_widget_set_margin_end(c, k % 9 == 2 || k % 9 == 5 ? 8 : 1);
        gtk_widget_set_margin_bottom(c, k / 9 == 2 || k / 9 == 5 ? 8 : 1);
        g_signal_connect(c, "changed", G_CALLBACK(changed), &e);
        g_signal_connect_after(c, "insert-text", G_CALLBACK(cell_inserted), &e);
        e.cells[k] = c;
        gtk_grid_attach(GTK_GRID(grid), c, k % 9, k / 9, 1, 1);
    }
    gtk_box_pack_start(GTK_BOX(right), grid, FALSE, FALSE, 0);
    e.jigsaw = gtk_check_button_new_with_mnemonic(_("_Jigsaw: its group map (81 digits 0-8, row by row):"));
    e.groups = gtk_entry_new();
    gtk_entry_set_max_length(GTK_ENTRY(e.groups), 200);
    gtk_entry_set_width_chars(GTK_ENTRY(e.groups), 40);
    if (start.line.has_groups) {
        int boxes[81];
        frontend::square_groups(boxes);
        if (!std::equal(boxes, boxes + 81, start.line.groups)) {
            std::string map;
            for (int k = 0; k < 81; ++k) map += static_cast<char>('0' + start.line.groups[k]);
            gtk_entry_set_text(GTK_ENTRY(e.groups), map.c_str());
            gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(e.jigsaw), TRUE);
        }
    }
    e.x = gtk_check_button_new_with_mnemonic(_("_X: both long diagonals are houses too"));
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(e.x), start.adjacency == 1);
    g_signal_connect(e.jigsaw, "toggled", G_CALLBACK(changed), &e);
    g_signal_connect(e.groups, "changed", G_CALLBACK(changed), &e);
    g_signal_connect(e.x, "toggled", G_CALLBACK(changed), &e);
    gtk_box_pack_start(GTK_BOX(right), e.jigsaw, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(right), e.groups, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(right), e.x, FALSE, FALSE, 0);
    e.verdict = gtk_label_new("");
    gtk_label_set_line_wrap(GTK_LABEL(e.verdict), TRUE);
    gtk_label_set_xalign(GTK_LABEL(e.verdict), 0);
    gtk_box_pack_start(GTK_BOX(right), e.verdict, FALSE, FALSE, 0);
    check_now(&e);
    gtk_widget_show_all(e.dialog);
    gtk_widget_grab_focus(e.start);
    int response;
    // The verdict may still be on its way when the player presses Play; only a unique one starts.
    do {
        response = gtk_dialog_run(GTK_DIALOG(e.dialog));
    } while (response == GTK_RESPONSE_ACCEPT && !e.unique);
    const bool play = response == GTK_RESPONSE_ACCEPT && e.unique;
    if (play) out = e.record;
    if (e.check_source) g_source_remove(e.check_source);
    if (e.poll_source) g_source_remove(e.poll_source);
    if (e.job) e.job->cancel = true;
    gtk_widget_destroy(e.dialog);
    return play;
}

}  // namespace ui
