// The game's screen: wires the model (game, stock, saves, statistics) to the board, the pad, the
// menus and the dialogs, and runs slow work in worker threads polled from the main loop.
#include "screen.h"

#include <plugins/audioplayers_linux_plugin.h>
#include <plugins/file_selector_plugin.h>
#include <plugins/gtk_plugin.h>
#include <plugins/pasteboard_plugin.h>
#include <plugins/url_launcher_plugin.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "board.h"
#include "game.h"
#include "jobs.h"
#include "names.h"
#include "new_game_dialog.h"
#include "printing.h"
#include "puzzle_editor.h"
#include "save_file.h"
#include "settings.h"
#include "shortcuts.h"
#include "statistics.h"
#include "stock.h"
#include "translate.h"

namespace ui {

namespace {

constexpr size_t kMaxInputFile = 8u << 20;

// The engine is process-wide and never unloaded: worker threads may still be using it while the
// window goes away.
frontend::Engine& the_engine() {
    static auto* engine = new frontend::Engine();
    return *engine;
}

struct Screen {
    FlView* view = nullptr;
    GtkWidget* root = nullptr;
    bool engine_ok = false;
    std::string data_dir, save_path, stats_path, settings_path;
    std::unique_ptr<game::Game> game;
    std::unique_ptr<game::Stock> stock;
    game::Settings settings;
    game::Statistics stats;
    bool desktop_dark = false, dark = false, maps_ok = true;

    BoardState bs;
    GtkWidget* board = nullptr;
    GtkWidget* infobar = nullptr;
    GtkWidget* info_label = nullptr;
    GtkWidget* title_label = nullptr;
    GtkWidget* kind_label = nullptr;
    GtkWidget* timer_label = nullptr;
    GtkWidget* progress = nullptr;
    GtkWidget* pad[10] = {};
    GtkWidget* pencil_button = nullptr;
    GtkWidget* undo_button = nullptr;
    GtkWidget* redo_button = nullptr;
    GtkWidget* pause_button = nullptr;
    GtkWidget* menu_button = nullptr;
    GSimpleActionGroup* actions = nullptr;

    guint tick_source = 0;
    gint64 last_tick = 0;
    int64_t unsaved_ms = 0;
    bool paused = false;
    bool updating_widgets = false;

    // Work in progress off the main thread.
    std::shared_ptr<Job> job;
    enum class JobKind { None, Import, Search, Picture } job_kind = JobKind::None;
    GdkPixbuf* picture = nullptr;  // the picture being read, shown beside the reading
    guint job_source = 0;
    GtkWidget* search_dialog = nullptr;
    GtkWidget* search_bar = nullptr;
    GtkWidget* search_label = nullptr;
    Choice pending_choice;

    // The new-game benchmark (QUADRILLO_BENCH_NEWGAME): which request is being timed.
    struct Bench {
        int phase = 0;  // 0 warm stock, 1 empty stock, 2 refill
        int index = 0;
        gint64 t0 = 0;
        bool waiting = false;
        guint timeout = 0;
        std::vector<double> ms[2];
    } bench;
    bool benchmarking = false;
    bool starting = true;  // until the first frame is asked for

    // Hints in three stages: 1 named, 2 shown on the board, then applied.
    SudokuStep hint{};
    int hint_stage = 0;
    std::shared_ptr<Job> hint_job;
    guint hint_source = 0;
    int hint_presses = 0;  // presses that came while the engine was still looking
    // The difficulty of the puzzle in play, explained.
    std::shared_ptr<Job> about_job;
    guint about_source = 0;
    std::string about;
    GtkWidget* about_label = nullptr;
    GtkWidget* hint_button = nullptr;
    std::string print_pdf;  // --print-pdf FILE: print the puzzle there and quit
};

Screen* g_screen = nullptr;

// ---- Small helpers ----

GtkWindow* window_of(Screen* s) {
    GtkWidget* top = gtk_widget_get_toplevel(GTK_WIDGET(s->view));
    return GTK_IS_WINDOW(top) ? GTK_WINDOW(top) : nullptr;
}

void show_message(Screen* s, const std::string& text, GtkMessageType type) {
    if (type == GTK_MESSAGE_ERROR || type == GTK_MESSAGE_WARNING) std::fprintf(stderr, "quadrillo: %s\n", text.c_str());
    gtk_info_bar_set_message_type(GTK_INFO_BAR(s->infobar), type);
    gtk_label_set_text(GTK_LABEL(s->info_label), text.c_str());
    gtk_widget_show(s->infobar);
    gtk_info_bar_set_revealed(GTK_INFO_BAR(s->infobar), TRUE);
}

std::string file_text(const std::string& path) {
    std::vector<unsigned char> bytes;
    std::string why;
    if (!game::read_file(path, 1u << 16, bytes, why)) return "";
    return std::string(bytes.begin(), bytes.end());
}

void write_text(Screen* s, const std::string& path, const std::string& text) {
    std::string why;
    if (!game::write_atomically(path, std::vector<unsigned char>(text.begin(), text.end()), why))
        show_message(s, _("Could not write ") + why, GTK_MESSAGE_WARNING);
}

void save_game(Screen* s) {
    if (!s->game || !s->game->loaded()) return;
    std::string why;
    if (!game::write_atomically(s->save_path, game::encode_save(game::saved_from(*s->game)), why))
        show_message(s, _("The game could not be saved: ") + why, GTK_MESSAGE_WARNING);
    s->unsaved_ms = 0;
}

void play(Screen* s, const char* event, const char* description) {
    if (s->settings.sounds) audio_plugin_play_event(s->view, event, description);
}

bool playing(Screen* s) {
    return s->game && s->game->loaded() && !s->game->finished && !s->paused && s->job_kind != Screen::JobKind::Search;
}

void apply_look(Screen* s) {
    s->dark = s->settings.look == game::LookChoice::Dark ||
              (s->settings.look == game::LookChoice::Follow && s->desktop_dark);
    g_object_set(gtk_settings_get_default(), "gtk-application-prefer-dark-theme", s->dark, nullptr);
    s->bs.dark = s->dark;
}

void refresh(Screen* s) {
    s->updating_widgets = true;
    s->bs.pencil = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(s->pencil_button));
    s->bs.check = s->settings.check;
    s->bs.paused = s->paused;
    board_changed(s->board);
    const bool loaded = s->game && s->game->loaded();
    if (loaded) {
        const frontend::Engine& e = the_engine();
        gtk_label_set_text(GTK_LABEL(s->title_label), bucket_title(e, s->game->bucket()).c_str());
        gtk_label_set_text(GTK_LABEL(s->kind_label), kind_title(s->game->map_kind(), s->game->adjacency()).c_str());
        int flags[10] = {}, counts[10] = {};
        s->game->digit_counts(counts);
        for (int d = 1; d <= 9; ++d) flags[d] = counts[d] >= 9;
        for (int d = 1; d <= 9; ++d) {
            GtkStyleContext* style = gtk_widget_get_style_context(s->pad[d]);
            if (flags[d])
                gtk_style_context_add_class(style, "dim-label");
            else
                gtk_style_context_remove_class(style, "dim-label");
            gtk_widget_set_sensitive(s->pad[d], !flags[d] || s->bs.pencil);
        }
        const int left = s->game->cells_left();
        gtk_progress_bar_set_fraction(GTK_PROGRESS_BAR(s->progress), (81.0 - left) / 81.0);
        const std::string text = s->game->finished ? _("Solved") : std::to_string(left) + _(" cells to go");
        gtk_progress_bar_set_text(GTK_PROGRESS_BAR(s->progress), text.c_str());
        gtk_label_set_text(GTK_LABEL(s->timer_label), format_time(s->game->elapsed_ms()).c_str());
    }
    gtk_widget_set_sensitive(s->undo_button, loaded && s->game->can_undo() && playing(s));
    gtk_widget_set_sensitive(s->redo_button, loaded && s->game->can_redo() && playing(s));
    gtk_button_set_label(GTK_BUTTON(s->pause_button), s->paused ? _("_Resume") : _("_Pause"));
    auto set_state = [s](const char* name, bool value) {
        GAction* a = g_action_map_lookup_action(G_ACTION_MAP(s->actions), name);
        g_simple_action_set_state(G_SIMPLE_ACTION(a), g_variant_new_boolean(value));
    };
    set_state("check", s->settings.check);
    set_state("dark", s->dark);
    set_state("sounds", s->settings.sounds);
    set_state("pencil", s->bs.pencil);
    s->updating_widgets = false;
}


Position position_of(Screen* s) {
    Position p{};
    p.map_kind = s->game->map_kind();
    p.adjacency = s->game->adjacency();
    for (int k = 0; k < 81; ++k) {
        const game::CellView v = s->game->cell(k);
        p.givens[k] = v.given ? v.digit : 0;
        p.answers[k] = v.given ? 0 : v.digit;
        p.marks[k] = v.marks_shown ? static_cast<int>(v.marks) : 0;
        p.groups[k] = v.group;
    }
    return p;
}

void clear_hint(Screen* s) {
    s->hint_presses = 0;
    if (s->hint_job) s->hint_job->cancel = true;
    s->hint_job.reset();
    if (s->hint_source) g_source_remove(s->hint_source);
    s->hint_source = 0;
    s->hint_stage = 0;
    s->bs.hint = nullptr;
}

gboolean poll_about(gpointer data) {
    auto* s = static_cast<Screen*>(data);
    if (g_screen != s || !s->about_job) return G_SOURCE_REMOVE;
    if (!s->about_job->done) return G_SOURCE_CONTINUE;
    const ClassifyInfo& info = s->about_job->info;
    std::string text;
    if (s->about_job->ok && info.unique) {
        text = info.description;
        std::string needs;
        for (int k = 0; k < 81; ++k) {
            const int m = info.cell_method[k];
            if (m < 0) continue;
            const std::string name = technique_title(m);
            if (needs.find(name) == std::string::npos) needs += (needs.empty() ? "" : ", ") + name;
        }
        if (!needs.empty()) text += _("\nNeeds: ") + needs + ".";
    }
    s->about = text;
    gtk_label_set_text(GTK_LABEL(s->about_label), text.c_str());
    s->about_job.reset();
    s->about_source = 0;
    return G_SOURCE_REMOVE;
}

// Classifies the puzzle in play off the main thread and shows what it needs.
void explain_puzzle(Screen* s) {
    if (s->about_source) g_source_remove(s->about_source);
    s->about.clear();
    gtk_label_set_text(GTK_LABEL(s->about_label), "");
    s->about_job = start_classify(the_engine(), position_of(s));
    s->about_source = g_timeout_add(50, poll_about, s);
}

// ---- Starting games ----

void record_stats(Screen* s) { write_text(s, s->stats_path, s->stats.encode()); }

void begin(Screen* s, const game::GameRecord& record, const char* origin) {
    std::string why;
    if (!s->game->start(record, why)) {
        show_message(s, std::string(_("The puzzle ")) + origin + _(" could not be started: ") + why, GTK_MESSAGE_ERROR);
        return;
    }
    s->paused = false;
    clear_hint(s);
    s->bs.selected = s->game->first_empty_cell();
    explain_puzzle(s);
    s->stats.record_start(s->game->map_kind(), s->game->adjacency(), s->game->bucket());
    record_stats(s);
    save_game(s);
    refresh(s);
}

void stop_job(Screen* s) {
    if (s->job) s->job->cancel = true;
    s->job.reset();
    s->job_kind = Screen::JobKind::None;
    if (s->job_source) g_source_remove(s->job_source);
    s->job_source = 0;
    if (s->search_dialog) gtk_widget_destroy(s->search_dialog);
    s->search_dialog = nullptr;
}

gboolean poll_job(gpointer data);

void watch_job(Screen* s, std::shared_ptr<Job> job, Screen::JobKind kind) {
    stop_job(s);
    s->job = std::move(job);
    s->job_kind = kind;
    s->job_source = g_timeout_add(60, poll_job, s);
}

void search_dialog_response(GtkDialog*, int, gpointer data) {
    auto* s = static_cast<Screen*>(data);
    stop_job(s);
    refresh(s);
    gtk_widget_grab_focus(GTK_WIDGET(s->view));
}

void open_search_dialog(Screen* s, const Choice& c) {
    char* heading_text = g_strdup_printf(_("Making a %s %s puzzle"), bucket_title(the_engine(), c.bucket).c_str(),
                                         kind_title(c.map_kind, c.adjacency).c_str());
    const std::string title = heading_text;
    g_free(heading_text);
    GtkWidget* dialog = gtk_dialog_new_with_buttons(_("New game"), window_of(s),
                                                    static_cast<GtkDialogFlags>(GTK_DIALOG_MODAL |
                                                                                GTK_DIALOG_DESTROY_WITH_PARENT),
                                                    _("_Cancel"), GTK_RESPONSE_CANCEL, nullptr);
    GtkWidget* box = gtk_dialog_get_content_area(GTK_DIALOG(dialog));
    gtk_container_set_border_width(GTK_CONTAINER(box), 18);
    gtk_box_set_spacing(GTK_BOX(box), 12);
    GtkWidget* heading = gtk_label_new(title.c_str());
    s->search_label = gtk_label_new(_("None in stock: searching…"));
    s->search_bar = gtk_progress_bar_new();
    gtk_widget_set_size_request(s->search_bar, 360, -1);
    gtk_box_pack_start(GTK_BOX(box), heading, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(box), s->search_bar, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(box), s->search_label, FALSE, FALSE, 0);
    g_signal_connect(dialog, "response", G_CALLBACK(search_dialog_response), s);
    gtk_widget_show_all(dialog);
    s->search_dialog = dialog;
}

void new_game_of(Screen* s, const Choice& c) {
    if (!s->engine_ok) return;
    s->settings.map_kind = c.map_kind;
    s->settings.adjacency = c.adjacency;
    s->settings.bucket = c.bucket;
    write_text(s, s->settings_path, s->settings.encode());
    game::GameRecord record;
    if (s->stock && s->stock->take(c.map_kind, c.adjacency, c.bucket, record)) {
        begin(s, record, _("from the stock"));
        return;
    }
    s->pending_choice = c;
    watch_job(s, start_search(the_engine(), c.map_kind, c.adjacency, c.bucket), Screen::JobKind::Search);
    open_search_dialog(s, c);
}

void apply_import(Screen* s, const Job& job, const char* origin) {
    if (job.ok) {
        begin(s, job.import.record, origin);
        show_message(s, std::string(_("Puzzle ")) + origin + ": " + bucket_title(the_engine(), job.import.bucket) + ".",
                     GTK_MESSAGE_INFO);
    } else {
        show_message(s, std::string(_("The puzzle ")) + origin + _(" cannot be played: ") + job.why + ".", GTK_MESSAGE_ERROR);
    }
}

gboolean poll_job(gpointer data) {
    auto* s = static_cast<Screen*>(data);
    if (g_screen != s || !s->job) return G_SOURCE_REMOVE;
    std::shared_ptr<Job> job = s->job;
    if (!job->done) {
        if (s->search_dialog) {
            std::lock_guard<std::mutex> lock(job->mutex);
            if (job->fraction >= 0)
                gtk_progress_bar_set_fraction(GTK_PROGRESS_BAR(s->search_bar), job->fraction);
            else
                gtk_progress_bar_pulse(GTK_PROGRESS_BAR(s->search_bar));
            if (!job->progress_text.empty()) gtk_label_set_text(GTK_LABEL(s->search_label), job->progress_text.c_str());
        }
        return G_SOURCE_CONTINUE;
    }
    const Screen::JobKind kind = s->job_kind;
    s->job_source = 0;
    s->job.reset();
    s->job_kind = Screen::JobKind::None;
    if (s->search_dialog) gtk_widget_destroy(s->search_dialog);
    s->search_dialog = nullptr;
    if (kind == Screen::JobKind::Search) {
        if (job->ok)
            begin(s, job->record, _("just made"));
        else
            show_message(s, _("No new game: ") + job->why + ".", GTK_MESSAGE_WARNING);
    } else if (kind == Screen::JobKind::Import) {
        apply_import(s, *job, _("given"));
    } else if (kind == Screen::JobKind::Picture) {
        GdkPixbuf* picture = s->picture;
        s->picture = nullptr;
        if (!job->ok) {
            show_message(s, _("The picture cannot be played: ") + job->why + ".", GTK_MESSAGE_ERROR);
        } else {
            gtk_widget_hide(s->infobar);
            EditorStart start;
            start.line = job->line;
            start.adjacency = job->adjacency;
            start.picture = picture;
            char note[320];
            std::snprintf(note, sizeof note,
                          _("Read in %.0f ms. Compare with the picture, correct any cell (repeats are marked) and "
                            "the kind, then play."),
                          job->ms);
            start.note = note;
            game::GameRecord record;
            if (run_puzzle_editor(window_of(s), the_engine(), start, record)) begin(s, record, _("from the picture"));
        }
        if (picture) g_object_unref(picture);
    }
    gtk_widget_grab_focus(GTK_WIDGET(s->view));
    refresh(s);
    return G_SOURCE_REMOVE;
}

// ---- Moves ----

void after_move(Screen* s, bool changed, int cell = -1) {
    if (!changed) return;
    clear_hint(s);
    save_game(s);
    if (cell >= 0) {
        const game::CellView v = s->game->cell(cell);
        if (v.digit && (s->game->conflicting(cell) || (s->settings.check && v.digit != v.solution)))
            play(s, "dialog-warning", _("Mistake"));
    }
    if (!s->game->finished && s->game->solved()) {
        s->game->finished = true;
        s->stats.record_win(s->game->map_kind(), s->game->adjacency(), s->game->bucket(), s->game->elapsed_ms());
        record_stats(s);
        save_game(s);
        play(s, "complete", _("Puzzle solved"));
        refresh(s);
        const game::Tally& t = s->stats.at(s->game->map_kind(), s->game->adjacency(), s->game->bucket());
        GtkWidget* dialog = gtk_message_dialog_new(window_of(s), GTK_DIALOG_DESTROY_WITH_PARENT, GTK_MESSAGE_INFO,
                                                   GTK_BUTTONS_NONE, _("Solved in %s!"),
                                                   format_time(s->game->elapsed_ms()).c_str());
        gtk_message_dialog_format_secondary_text(
            GTK_MESSAGE_DIALOG(dialog), _("%s %s. Best time %s, average %s over %d won."),
            bucket_title(the_engine(), s->game->bucket()).c_str(),
            kind_title(s->game->map_kind(), s->game->adjacency()).c_str(), format_time(t.best_ms).c_str(),
            format_time(t.average_ms()).c_str(), t.won);
        gtk_dialog_add_buttons(GTK_DIALOG(dialog), _("_Close"), GTK_RESPONSE_CLOSE, _("_New game"), GTK_RESPONSE_ACCEPT,
                               nullptr);
        const int response = gtk_dialog_run(GTK_DIALOG(dialog));
        gtk_widget_destroy(dialog);
        gtk_widget_grab_focus(GTK_WIDGET(s->view));
        if (response == GTK_RESPONSE_ACCEPT) {
            GAction* a = g_action_map_lookup_action(G_ACTION_MAP(s->actions), "new");
            g_action_activate(a, nullptr);
        }
        return;
    }
    refresh(s);
}

void enter_digit(Screen* s, int digit, bool mark) {
    if (!playing(s)) return;
    const int cell = s->bs.selected;
    if (mark && digit > 0)
        after_move(s, s->game->toggle_mark(cell, digit));
    else
        after_move(s, s->game->enter(cell, digit), cell);
}

void move_selection(Screen* s, int dr, int dc) {
    const int r = std::clamp(s->bs.selected / 9 + dr, 0, 8), c = std::clamp(s->bs.selected % 9 + dc, 0, 8);
    s->bs.selected = r * 9 + c;
    board_changed(s->board);
}

void set_paused(Screen* s, bool paused) {
    if (!s->game || !s->game->loaded() || s->game->finished) paused = false;
    s->paused = paused;
    s->last_tick = g_get_monotonic_time();
    save_game(s);
    refresh(s);
}


// ---- Hints: name the technique, then show where, then apply it ----

void act_hint(Screen* s);

gboolean poll_hint(gpointer data) {
    auto* s = static_cast<Screen*>(data);
    if (g_screen != s || !s->hint_job) return G_SOURCE_REMOVE;
    if (!s->hint_job->done) return G_SOURCE_CONTINUE;
    s->hint = s->hint_job->step;
    s->hint_job.reset();
    s->hint_source = 0;
    const SudokuStep& h = s->hint;
    char text[400];
    switch (h.status) {
    case 1:
        s->hint_stage = 1;
        ++s->game->hints;
        s->stats.record_hint(s->game->map_kind(), s->game->adjacency(), s->game->bucket());
        record_stats(s);
        save_game(s);
        std::snprintf(text, sizeof text, _("Hint: %s. Ask again (Ctrl+H) to see where."), h.name);
        break;
    case -2:
        s->hint_stage = 1;
        ++s->game->hints;
        s->bs.hint = &s->hint;
        s->bs.selected = h.wrong_cell;
        std::snprintf(text, sizeof text,
                      _("The digit in row %d, column %d is wrong. Ask again (Ctrl+H) to clear it."), h.wrong_cell / 9 + 1,
                      h.wrong_cell % 9 + 1);
        break;
    case 0: std::snprintf(text, sizeof text, "%s", _("Every cell is filled: nothing left to hint.")); break;
    case -3: std::snprintf(text, sizeof text, "%s", _("This puzzle does not have exactly one solution: no hints.")); break;
    default: std::snprintf(text, sizeof text, "%s", _("No hint could be found for this position.")); break;
    }
    show_message(s, text, GTK_MESSAGE_INFO);
    refresh(s);
    // Presses made while the engine looked take effect now, in order.
    for (int pending = std::exchange(s->hint_presses, 0); pending > 0 && s->hint_stage > 0; --pending) act_hint(s);
    return G_SOURCE_REMOVE;
}

void act_hint(Screen* s) {
    if (!playing(s)) return;
    if (s->hint_job) {
        ++s->hint_presses;
        return;
    }
    if (s->hint_stage == 0) {
        s->hint_job = start_hint(the_engine(), position_of(s));
        s->hint_source = g_timeout_add(20, poll_hint, s);
        return;
    }
    const SudokuStep h = s->hint;
    if (h.status == -2) {
        after_move(s, s->game->enter(h.wrong_cell, 0));
        clear_hint(s);
        refresh(s);
        return;
    }
    if (s->hint_stage == 1) {
        s->hint_stage = 2;
        s->bs.hint = &s->hint;
        for (int k = 0; k < 81; ++k)
            if (h.placed[k] || h.removed[k]) {
                s->bs.selected = k;
                break;
            }
        char text[400];
        std::snprintf(text, sizeof text, _("Hint: %s in the outlined cells%s. Ask again (Ctrl+H) to apply it."), h.name,
                      h.placed[s->bs.selected] ? _(" places the green digit") : _(" removes the struck candidates"));
        show_message(s, text, GTK_MESSAGE_INFO);
        refresh(s);
        return;
    }
    clear_hint(s);
    after_move(s, s->game->apply_step(h.placed, h.removed));
}

// ---- Marks by mouse: a popover of nine toggles over the cell ----

struct MarkToggle {
    Screen* s;
    int cell, digit;
};

void mark_toggled(GtkToggleButton*, gpointer data) {
    auto* m = static_cast<MarkToggle*>(data);
    if (m->s->updating_widgets || !playing(m->s)) return;
    after_move(m->s, m->s->game->toggle_mark(m->cell, m->digit));
}

void show_mark_popover(Screen* s, int cell) {
    if (!playing(s) || s->game->cell(cell).given) return;
    GtkWidget* popover = gtk_popover_new(s->board);
    const int w = gtk_widget_get_allocated_width(s->board), h = gtk_widget_get_allocated_height(s->board);
    const double size = std::max(90.0, std::min(w, h) - 16.0), side = size / 9;
    GdkRectangle rect{static_cast<int>((w - size) / 2 + (cell % 9) * side), static_cast<int>((h - size) / 2 + (cell / 9) * side),
                      static_cast<int>(side), static_cast<int>(side)};
    gtk_popover_set_pointing_to(GTK_POPOVER(popover), &rect);
    GtkWidget* grid = gtk_grid_new();
    gtk_container_set_border_width(GTK_CONTAINER(grid), 6);
    const game::CellView v = s->game->cell(cell);
    s->updating_widgets = true;
    for (int d = 1; d <= 9; ++d) {
        const std::string label = std::to_string(d);
        GtkWidget* b = gtk_toggle_button_new_with_label(label.c_str());
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(b), v.marks_shown && (v.marks & (1u << d)));
        auto* m = new MarkToggle{s, cell, d};
        g_signal_connect_data(b, "toggled", G_CALLBACK(mark_toggled), m,
                              [](gpointer p, GClosure*) { delete static_cast<MarkToggle*>(p); }, GConnectFlags(0));
        gtk_grid_attach(GTK_GRID(grid), b, (d - 1) % 3, (d - 1) / 3, 1, 1);
    }
    s->updating_widgets = false;
    gtk_container_add(GTK_CONTAINER(popover), grid);
    g_signal_connect(popover, "closed", G_CALLBACK(+[](GtkPopover* p, gpointer data) {
                         gtk_widget_grab_focus(GTK_WIDGET(static_cast<Screen*>(data)->view));
                         gtk_widget_destroy(GTK_WIDGET(p));
                     }),
                     s);
    gtk_widget_show_all(popover);
    gtk_popover_popup(GTK_POPOVER(popover));
}

// ---- Input from files, lines and pictures ----

void import_line(Screen* s, const frontend::PuzzleLine& line, int adjacency, const char* origin) {
    if (!s->engine_ok) return;
    std::shared_ptr<Job> job = start_import(the_engine(), line, adjacency);
    // Most puzzles are judged in a few milliseconds. Before the first frame, wait briefly so the
    // window opens on the puzzle asked for; later, and for a slow one, the poll finishes the job
    // while the window stays responsive.
    for (int i = 0; s->starting && i < 60 && !job->done; ++i) g_usleep(5000);
    if (job->done) {
        apply_import(s, *job, origin);
        return;
    }
    show_message(s, _("Checking the puzzle…"), GTK_MESSAGE_INFO);
    watch_job(s, job, Screen::JobKind::Import);
}

void import_picture(Screen* s, GdkPixbuf* pixbuf) {
    const int w = gdk_pixbuf_get_width(pixbuf), h = gdk_pixbuf_get_height(pixbuf);
    const int channels = gdk_pixbuf_get_n_channels(pixbuf), stride = gdk_pixbuf_get_rowstride(pixbuf);
    if (gdk_pixbuf_get_bits_per_sample(pixbuf) != 8 || channels < 3 || channels > 4) {
        show_message(s, _("The picture's format cannot be read."), GTK_MESSAGE_ERROR);
        return;
    }
    std::vector<unsigned char> pixels(static_cast<size_t>(w) * h * channels);
    const guchar* src = gdk_pixbuf_read_pixels(pixbuf);
    for (int y = 0; y < h; ++y)
        std::memcpy(pixels.data() + static_cast<size_t>(y) * w * channels, src + static_cast<size_t>(y) * stride,
                    static_cast<size_t>(w) * channels);
    show_message(s, _("Reading the picture…"), GTK_MESSAGE_INFO);
    watch_job(s, start_picture_import(the_engine(), std::move(pixels), w, h, channels), Screen::JobKind::Picture);
    if (s->picture) g_object_unref(s->picture);
    s->picture = GDK_PIXBUF(g_object_ref(pixbuf));
}

bool is_picture(const std::string& path) {
    GdkPixbufFormat* format = gdk_pixbuf_get_file_info(path.c_str(), nullptr, nullptr);
    return format != nullptr;
}

// A saved game, a picture, or a text file whose first puzzle line is played.
void open_path(Screen* s, const std::string& path, int adjacency) {
    if (is_picture(path)) {
        GError* error = nullptr;
        GdkPixbuf* pixbuf = gdk_pixbuf_new_from_file(path.c_str(), &error);
        if (!pixbuf) {
            show_message(s, path + ": " + (error ? error->message : _("not a picture")), GTK_MESSAGE_ERROR);
            g_clear_error(&error);
            return;
        }
        import_picture(s, pixbuf);
        g_object_unref(pixbuf);
        return;
    }
    std::vector<unsigned char> bytes;
    std::string why;
    if (!game::read_file(path, kMaxInputFile, bytes, why)) {
        show_message(s, why, GTK_MESSAGE_ERROR);
        return;
    }
    game::SavedGame saved;
    std::string save_why;
    if (bytes.size() >= game::kRecordBytes && game::decode_save(bytes.data(), bytes.size(), saved, save_why)) {
        std::string restore_why;
        if (!s->game->restore(saved.position, saved.history, saved.cursor, saved.auto_candidates, saved.elapsed_ms,
                              restore_why)) {
            show_message(s, path + ": " + restore_why, GTK_MESSAGE_ERROR);
            return;
        }
        s->game->finished = saved.finished;
        s->bs.selected = s->game->first_empty_cell();
        explain_puzzle(s);
        save_game(s);
        refresh(s);
        return;
    }
    frontend::PuzzleLine line;
    if (!game::first_puzzle_in_text(std::string(bytes.begin(), bytes.end()), line, why)) {
        show_message(s, path + ": " + why, GTK_MESSAGE_ERROR);
        return;
    }
    import_line(s, line, adjacency, _("from the file"));
}

void handle_arguments(Screen* s, char** arguments) {
    int adjacency = 0;
    std::vector<std::string> rest;
    for (char** a = arguments; a && *a; ++a) {
        if (!std::strcmp(*a, "-x") || !std::strcmp(*a, "--x"))
            adjacency = 1;
        else if (!std::strcmp(*a, "--print-pdf") && a[1])
            s->print_pdf = *++a;
        else
            rest.emplace_back(*a);
    }
    if (rest.empty()) return;
    if (g_file_test(rest[0].c_str(), G_FILE_TEST_EXISTS)) {
        if (!g_file_test(rest[0].c_str(), G_FILE_TEST_IS_REGULAR))
            show_message(s, rest[0] + _(" is not a file."), GTK_MESSAGE_ERROR);
        else
            open_path(s, rest[0], adjacency);
        return;
    }
    std::string text;
    for (const std::string& r : rest) text += r;
    frontend::PuzzleLine line;
    std::string why;
    if (!frontend::parse_puzzle_line(text, line, why)) {
        show_message(s, _("The command line is neither a file nor a puzzle line: ") + why + ".", GTK_MESSAGE_ERROR);
        return;
    }
    import_line(s, line, adjacency, _("from the command line"));
}

void resume_saved(Screen* s) {
    if (!g_file_test(s->save_path.c_str(), G_FILE_TEST_EXISTS)) return;
    std::vector<unsigned char> bytes;
    std::string why;
    game::SavedGame saved;
    bool ok = game::read_file(s->save_path, kMaxInputFile, bytes, why) &&
              game::decode_save(bytes.data(), bytes.size(), saved, why);
    if (ok) {
        ok = s->game->restore(saved.position, saved.history, saved.cursor, saved.auto_candidates, saved.elapsed_ms, why);
        if (ok && !why.empty()) show_message(s, _("The saved game was resumed, but ") + why + ".", GTK_MESSAGE_WARNING);
    }
    if (!ok) {
        const std::string aside = game::set_aside(s->save_path);
        show_message(s, _("The saved game could not be read (") + why + _("); it was kept as ") +
                            (aside.empty() ? s->save_path : aside) + _(" and a new game was started."),
                     GTK_MESSAGE_WARNING);
        return;
    }
    s->game->finished = saved.finished;
    s->game->hints = saved.hints;
    s->game->mistakes = saved.mistakes;
    s->bs.selected = s->game->first_empty_cell();
    explain_puzzle(s);
}

// ---- Actions (menu, buttons and keys all end here) ----

void act_new(Screen* s) {
    if (!s->engine_ok) return;
    Choice c{s->settings.map_kind, s->settings.adjacency, std::clamp(s->settings.bucket, 0, 9)};
    if (!s->maps_ok) c.map_kind = 0;
    const bool was_paused = s->paused;
    s->paused = true;
    refresh(s);
    auto ready = [s](int m, int a, int b) { return s->stock ? s->stock->count(m, a, b) : 0; };
    const bool start = run_new_game_dialog(window_of(s), the_engine(), s->maps_ok, ready, s->about, c);
    s->paused = was_paused;
    gtk_widget_grab_focus(GTK_WIDGET(s->view));
    if (start)
        new_game_of(s, c);
    else
        refresh(s);
}

void act_enter(Screen* s) {
    if (!s->engine_ok) return;
    EditorStart start;
    frontend::square_groups(start.line.groups);
    game::GameRecord record;
    if (run_puzzle_editor(window_of(s), the_engine(), start, record)) begin(s, record, _("of your own"));
    gtk_widget_grab_focus(GTK_WIDGET(s->view));
}

void act_copy(Screen* s) {
    if (!s->game || !s->game->loaded()) return;
    int clues[81], groups[81];
    for (int k = 0; k < 81; ++k) {
        const game::CellView v = s->game->cell(k);
        clues[k] = v.given ? v.digit : 0;
        groups[k] = v.group;
    }
    std::string line = frontend::format_puzzle_line(clues, groups, s->game->map_kind() == 1);
    if (s->game->adjacency() == 1) line += " x";
    if (pasteboard_copy_text(s->view, line.c_str())) show_message(s, _("Copied the puzzle as a line."), GTK_MESSAGE_INFO);
}

void act_paste(Screen* s) {
    if (char* text = pasteboard_get_text(s->view)) {
        frontend::PuzzleLine line;
        std::string why;
        std::string t(text);
        g_free(text);
        // A line may end in " x" for the diagonal rules, as the game's own copies of x puzzles do.
        while (!t.empty() && std::isspace(static_cast<unsigned char>(t.back()))) t.pop_back();
        int adjacency = 0;
        if (t.size() > 2 && (t.back() == 'x' || t.back() == 'X') && std::isspace(static_cast<unsigned char>(t[t.size() - 2]))) {
            adjacency = 1;
            t.pop_back();
        }
        if (!game::first_puzzle_in_text(t, line, why)) {
            show_message(s, _("The clipboard holds no puzzle line: ") + why + ".", GTK_MESSAGE_ERROR);
            return;
        }
        import_line(s, line, adjacency, _("pasted"));
        return;
    }
    if (GdkPixbuf* picture = pasteboard_get_image(s->view)) {
        import_picture(s, picture);
        g_object_unref(picture);
        return;
    }
    show_message(s, _("The clipboard holds neither a puzzle line nor a picture."), GTK_MESSAGE_WARNING);
}

void act_open(Screen* s) {
    static const char* const puzzles[] = {"*.txt", "*.sdk", "*.game", "*.sudoku", nullptr};
    static const char* const pictures[] = {"*.png", "*.jpg", "*.jpeg", "*.PNG", "*.JPG", "*.JPEG", nullptr};
    static const char* const all[] = {"*", nullptr};
    const FileSelectorFilter filters[] = {{_("Puzzles and saved games"), puzzles}, {_("Pictures"), pictures}, {_("All files"), all}};
    char* path = file_selector_open(s->view, _("Open a puzzle"), filters, 3);
    if (!path) return;
    open_path(s, path, 0);
    g_free(path);
}

void act_export(Screen* s) {
    if (!s->game || !s->game->loaded()) return;
    char* path = file_selector_save(s->view, _("Export the puzzle"), "puzzle.txt");
    if (!path) return;
    int clues[81], groups[81];
    for (int k = 0; k < 81; ++k) {
        const game::CellView v = s->game->cell(k);
        clues[k] = v.given ? v.digit : 0;
        groups[k] = v.group;
    }
    write_text(s, path, frontend::format_puzzle_line(clues, groups, s->game->map_kind() == 1) + "\n");
    g_free(path);
}

void act_statistics(Screen* s) {
    GtkWidget* dialog = gtk_dialog_new_with_buttons(_("Statistics"), window_of(s),
                                                    static_cast<GtkDialogFlags>(GTK_DIALOG_MODAL |
                                                                                GTK_DIALOG_DESTROY_WITH_PARENT),
                                                    _("_Close"), GTK_RESPONSE_CLOSE, nullptr);
    GtkWidget* grid = gtk_grid_new();
    gtk_grid_set_column_spacing(GTK_GRID(grid), 18);
    gtk_grid_set_row_spacing(GTK_GRID(grid), 4);
    gtk_container_set_border_width(GTK_CONTAINER(grid), 18);
    const char* heads[] = {_("Difficulty"), _("Kind"), _("Played"), _("Won"), _("Best"), _("Average")};
    for (int i = 0; i < 6; ++i) {
        GtkWidget* l = gtk_label_new(nullptr);
        char* markup = g_markup_printf_escaped("<b>%s</b>", heads[i]);
        gtk_label_set_markup(GTK_LABEL(l), markup);
        g_free(markup);
        gtk_grid_attach(GTK_GRID(grid), l, i, 0, 1, 1);
    }
    int row = 1;
    for (int b = 0; b < 10; ++b)
        for (int m = 0; m < 2; ++m)
            for (int a = 0; a < 2; ++a) {
                const game::Tally& t = s->stats.by[m][a][b];
                if (!t.played) continue;
                const std::string cells[6] = {bucket_title(the_engine(), b), kind_title(m, a), std::to_string(t.played),
                                              std::to_string(t.won), t.won ? format_time(t.best_ms) : "–",
                                              t.won ? format_time(t.average_ms()) : "–"};
                for (int i = 0; i < 6; ++i) gtk_grid_attach(GTK_GRID(grid), gtk_label_new(cells[i].c_str()), i, row, 1, 1);
                ++row;
            }
    if (row == 1) gtk_grid_attach(GTK_GRID(grid), gtk_label_new(_("No games yet.")), 0, 1, 6, 1);
    gtk_container_add(GTK_CONTAINER(gtk_dialog_get_content_area(GTK_DIALOG(dialog))), grid);
    gtk_widget_show_all(dialog);
    gtk_dialog_run(GTK_DIALOG(dialog));
    gtk_widget_destroy(dialog);
    gtk_widget_grab_focus(GTK_WIDGET(s->view));
}

void act_help(Screen* s) {
    const std::string& data = the_engine().data_dir;
    const std::string dir = data.empty() ? std::string(".") : data;
    char* uri = g_filename_to_uri((dir + "/help/index.html").c_str(), nullptr, nullptr);
    GError* error = nullptr;
    if (!uri || !url_launcher_launch(s->view, uri, &error))
        show_message(s, std::string(_("The help page could not be opened")) + (error ? ": " + std::string(error->message) : "."),
                     GTK_MESSAGE_WARNING);
    g_clear_error(&error);
    g_free(uri);
}

void act_quit(Screen* s) {
    if (s->game && s->game->loaded()) save_game(s);
    if (s->stock) s->stock->stop_refill();
    g_application_quit(g_application_get_default());
}


// ---- Printing and pictures of the board ----

std::string caption_of(const game::GameRecord& r) {
    return bucket_title(the_engine(), r.quality()) + " · " + kind_title(r.map_kind(), r.adjacency());
}

void act_print(Screen* s) {
    GtkWidget* dialog = gtk_dialog_new_with_buttons(_("Print"), window_of(s),
                                                    static_cast<GtkDialogFlags>(GTK_DIALOG_MODAL |
                                                                                GTK_DIALOG_DESTROY_WITH_PARENT),
                                                    _("_Cancel"), GTK_RESPONSE_CANCEL, _("_Print…"), GTK_RESPONSE_ACCEPT,
                                                    nullptr);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
    GtkWidget* grid = gtk_grid_new();
    gtk_grid_set_row_spacing(GTK_GRID(grid), 8);
    gtk_grid_set_column_spacing(GTK_GRID(grid), 12);
    gtk_container_set_border_width(GTK_CONTAINER(grid), 18);
    GtkWidget* current = gtk_radio_button_new_with_mnemonic(nullptr, _("_This puzzle"));
    GtkWidget* fresh = gtk_radio_button_new_with_mnemonic_from_widget(GTK_RADIO_BUTTON(current), _("_New puzzles:"));
    if (!s->game || !s->game->loaded()) gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(fresh), TRUE);
    GtkWidget* count = gtk_spin_button_new_with_range(1, 24, 1);
    gtk_spin_button_set_value(GTK_SPIN_BUTTON(count), 4);
    GtkWidget* difficulty = gtk_combo_box_text_new();
    for (int b = 0; b < 10; ++b) gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(difficulty), bucket_title(the_engine(), b).c_str());
    gtk_combo_box_set_active(GTK_COMBO_BOX(difficulty), std::clamp(s->settings.bucket, 0, 9));
    GtkWidget* map = gtk_combo_box_text_new();
    gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(map), _("Square"));
    if (s->maps_ok) gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(map), _("Jigsaw"));
    gtk_combo_box_set_active(GTK_COMBO_BOX(map), s->maps_ok ? s->settings.map_kind : 0);
    GtkWidget* x = gtk_check_button_new_with_mnemonic(_("_X rules"));
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(x), s->settings.adjacency == 1);
    GtkWidget* per_page = gtk_combo_box_text_new();
    for (const char* n : {"1", "2", "4", "6"}) gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(per_page), n);
    gtk_combo_box_set_active(GTK_COMBO_BOX(per_page), 2);
    gtk_grid_attach(GTK_GRID(grid), current, 0, 0, 2, 1);
    gtk_grid_attach(GTK_GRID(grid), fresh, 0, 1, 1, 1);
    gtk_grid_attach(GTK_GRID(grid), count, 1, 1, 1, 1);
    gtk_grid_attach(GTK_GRID(grid), difficulty, 1, 2, 1, 1);
    gtk_grid_attach(GTK_GRID(grid), map, 1, 3, 1, 1);
    gtk_grid_attach(GTK_GRID(grid), x, 1, 4, 1, 1);
    gtk_grid_attach(GTK_GRID(grid), gtk_label_new(_("Puzzles per page:")), 0, 5, 1, 1);
    gtk_grid_attach(GTK_GRID(grid), per_page, 1, 5, 1, 1);
    gtk_container_add(GTK_CONTAINER(gtk_dialog_get_content_area(GTK_DIALOG(dialog))), grid);
    gtk_widget_show_all(dialog);
    const bool go = gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_ACCEPT;
    std::vector<PrintItem> items;
    int per = 4;
    if (go) {
        static const int kPer[] = {1, 2, 4, 6};
        per = kPer[std::clamp(gtk_combo_box_get_active(GTK_COMBO_BOX(per_page)), 0, 3)];
        if (gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(current)) && s->game && s->game->loaded()) {
            items.push_back({s->game->record(), caption_of(s->game->record())});
        } else {
            const int n = gtk_spin_button_get_value_as_int(GTK_SPIN_BUTTON(count));
            const int b = std::max(0, gtk_combo_box_get_active(GTK_COMBO_BOX(difficulty)));
            const int m = std::max(0, gtk_combo_box_get_active(GTK_COMBO_BOX(map)));
            const int a = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(x)) ? 1 : 0;
            game::GameRecord r;
            while (static_cast<int>(items.size()) < n && s->stock && s->stock->take(m, a, b, r))
                items.push_back({r, caption_of(r)});
            if (static_cast<int>(items.size()) < n)
                show_message(s, _("Only ") + std::to_string(items.size()) + _(" of these puzzles were ready; more are being made."),
                             GTK_MESSAGE_INFO);
        }
    }
    gtk_widget_destroy(dialog);
    std::string why;
    if (go && !items.empty() && !print_puzzles(window_of(s), the_engine(), items, per, "", why))
        show_message(s, _("Printing failed: ") + why, GTK_MESSAGE_ERROR);
    gtk_widget_grab_focus(GTK_WIDGET(s->view));
}

void act_export_picture(Screen* s) {
    if (!s->game || !s->game->loaded()) return;
    char* path = file_selector_save(s->view, _("Export the board as a picture (.png or .svg)"), "sudoku.png");
    if (!path) return;
    std::string why;
    if (!export_board(the_engine(), s->game->record(), s->dark, 1200, path, why))
        show_message(s, _("The picture could not be written: ") + why, GTK_MESSAGE_ERROR);
    g_free(path);
}

gboolean print_and_quit(gpointer data) {
    auto* s = static_cast<Screen*>(data);
    std::string why;
    if (!s->game || !s->game->loaded()) {
        std::fprintf(stderr, "quadrillo: %s\n", _("nothing to print"));
    } else if (!print_puzzles(window_of(s), the_engine(), {{s->game->record(), caption_of(s->game->record())}}, 1,
                              s->print_pdf, why)) {
        std::fprintf(stderr, _("quadrillo: printing to %s failed: %s\n"), s->print_pdf.c_str(), why.c_str());
    }
    act_quit(s);
    return G_SOURCE_REMOVE;
}

void toggle_setting(Screen* s, bool game::Settings::*field) {
    s->settings.*field = !(s->settings.*field);
    write_text(s, s->settings_path, s->settings.encode());
    audio_plugin_set_enabled(s->view, s->settings.sounds);
    refresh(s);
}

void toggle_dark(Screen* s) {
    s->settings.look = s->dark ? game::LookChoice::Light : game::LookChoice::Dark;
    write_text(s, s->settings_path, s->settings.encode());
    apply_look(s);
    refresh(s);
}

void activate_action(GSimpleAction* action, GVariant*, gpointer data) {
    auto* s = static_cast<Screen*>(data);
    const std::string name = g_action_get_name(G_ACTION(action));
    const bool have = s->game && s->game->loaded();
    if (name == "new")
        act_new(s);
    else if (name == "hint")
        act_hint(s);
    else if (name == "undo" && playing(s))
        after_move(s, s->game->undo());
    else if (name == "redo" && playing(s))
        after_move(s, s->game->redo());
    else if (name == "pause")
        set_paused(s, !s->paused);
    else if (name == "restart" && playing(s))
        after_move(s, s->game->restart());
    else if (name == "fill" && playing(s))
        after_move(s, s->game->fill_candidates());
    else if (name == "hide" && playing(s))
        after_move(s, s->game->hide_candidates());
    else if (name == "check")
        toggle_setting(s, &game::Settings::check);
    else if (name == "sounds")
        toggle_setting(s, &game::Settings::sounds);
    else if (name == "dark")
        toggle_dark(s);
    else if (name == "pencil")
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(s->pencil_button),
                                     !gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(s->pencil_button)));
    else if (name == "fullscreen")
        gtk_plugin_set_fullscreen(s->view, !gtk_plugin_get_fullscreen(s->view));
    else if (name == "open")
        act_open(s);
    else if (name == "export" && have)
        act_export(s);
    else if (name == "print")
        act_print(s);
    else if (name == "enter")
        act_enter(s);
    else if (name == "picture")
        act_export_picture(s);
    else if (name == "copy")
        act_copy(s);
    else if (name == "paste")
        act_paste(s);
    else if (name == "statistics")
        act_statistics(s);
    else if (name == "shortcuts")
        show_shortcuts(window_of(s));
    else if (name == "help")
        act_help(s);
    else if (name == "quit")
        act_quit(s);
}

void run(Screen* s, const char* name) {
    g_action_activate(g_action_map_lookup_action(G_ACTION_MAP(s->actions), name), nullptr);
}


// ---- The new-game benchmark: request to drawn board for the 40 choices, from a warm stock and
// from an empty one, then the background refill's rate per bucket. Prints and quits. ----

void bench_step(Screen* s);

gboolean bench_step_idle(gpointer data) {
    bench_step(static_cast<Screen*>(data));
    return G_SOURCE_REMOVE;
}

Choice bench_choice(int index) { return Choice{index / 20, index / 10 % 2, index % 10}; }

void bench_record(Screen* s, double ms) {
    s->bench.ms[s->bench.phase].push_back(ms);
    s->bench.waiting = false;
    if (s->bench.timeout) g_source_remove(s->bench.timeout);
    s->bench.timeout = 0;
    ++s->bench.index;
    g_idle_add(bench_step_idle, s);
}

void bench_drawn(Screen* s) {
    if (s->bench.waiting && !s->job) bench_record(s, (g_get_monotonic_time() - s->bench.t0) / 1000.0);
}

void bench_print(Screen* s, int phase, const char* title) {
    std::printf("%s (ms from request to drawn board; -1: none within the limit)\n", title);
    std::printf("  %-16s %12s %12s %12s %12s\n", "difficulty", "square", "square x", "jigsaw", "jigsaw x");
    std::vector<double> done;
    for (int b = 0; b < 10; ++b) {
        std::printf("  %-16s", bucket_title(the_engine(), b).c_str());
        for (int kind = 0; kind < 4; ++kind) {
            const size_t i = static_cast<size_t>(kind * 10 + b);
            const double v = i < s->bench.ms[phase].size() ? s->bench.ms[phase][i] : -1;
            std::printf(" %12.1f", v);
            if (v >= 0) done.push_back(v);
        }
        std::printf("\n");
    }
    std::sort(done.begin(), done.end());
    if (!done.empty())
        std::printf("  %zu of 40 made; median %.1f ms, worst %.1f ms\n", done.size(), done[done.size() / 2], done.back());
    std::fflush(stdout);
}

gboolean bench_refill_done(gpointer data) {
    auto* s = static_cast<Screen*>(data);
    const game::Stock::RefillStats st = s->stock->refill_stats();
    s->stock->stop_refill();
    std::printf("background refill from empty: %ld harvests in %.1f s; puzzles added per bucket (per minute)\n",
                st.harvests, st.seconds);
    std::printf("  %-16s %12s %12s %12s %12s\n", "difficulty", "square", "square x", "jigsaw", "jigsaw x");
    for (int b = 0; b < 10; ++b) {
        std::printf("  %-16s", bucket_title(the_engine(), b).c_str());
        for (int kind = 0; kind < 4; ++kind)
            std::printf(" %12.1f", st.seconds > 0 ? st.added[kind / 2][kind % 2][b] * 60.0 / st.seconds : 0.0);
        std::printf("\n");
    }
    std::fflush(stdout);
    act_quit(s);
    return G_SOURCE_REMOVE;
}

gboolean bench_search_timeout(gpointer data) {
    auto* s = static_cast<Screen*>(data);
    s->bench.timeout = 0;
    stop_job(s);
    bench_record(s, -1);
    return G_SOURCE_REMOVE;
}

void bench_step(Screen* s) {
    if (s->bench.index == 40) {
        bench_print(s, s->bench.phase, s->bench.phase == 0 ? "new game from a warm stock" : "new game from an empty stock");
        s->bench.index = 0;
        ++s->bench.phase;
    }
    if (s->bench.phase == 2) {
        // Empty every choice, then let the refill run for a while.
        game::GameRecord r;
        for (int i = 0; i < 40; ++i) {
            const Choice c = bench_choice(i);
            while (s->stock->take(c.map_kind, c.adjacency, c.bucket, r)) {
            }
        }
        const char* secs = g_getenv("QUADRILLO_BENCH_REFILL_S");
        s->stock->start_refill();
        g_timeout_add_seconds(secs ? static_cast<guint>(std::atoi(secs)) : 30, bench_refill_done, s);
        return;
    }
    const Choice c = bench_choice(s->bench.index);
    if (s->bench.phase == 1) {
        game::GameRecord r;
        while (s->stock->take(c.map_kind, c.adjacency, c.bucket, r)) {
        }
        const char* limit = g_getenv("QUADRILLO_BENCH_SEARCH_MS");
        s->bench.timeout = g_timeout_add(limit ? static_cast<guint>(std::atoi(limit)) : 15000, bench_search_timeout, s);
    }
    s->bench.waiting = true;
    s->bench.t0 = g_get_monotonic_time();
    new_game_of(s, c);
    board_changed(s->board);
}

// ---- Keys ----

gboolean on_key(GtkWidget*, GdkEventKey* event, gpointer data) {
    auto* s = static_cast<Screen*>(data);
    const bool ctrl = event->state & GDK_CONTROL_MASK, shift = event->state & GDK_SHIFT_MASK;
    // The key without Shift, so Shift+3 is still "3" on any layout.
    guint plain = event->keyval;
    gdk_keymap_translate_keyboard_state(gdk_keymap_get_for_display(gdk_display_get_default()),
                                        event->hardware_keycode,
                                        static_cast<GdkModifierType>(event->state & ~(GDK_SHIFT_MASK | GDK_LOCK_MASK)),
                                        event->group, &plain, nullptr, nullptr, nullptr);
    if (ctrl) {
        switch (gdk_keyval_to_lower(plain)) {
        case GDK_KEY_n: run(s, shift ? "enter" : "new"); return TRUE;
        case GDK_KEY_h: run(s, "hint"); return TRUE;
        case GDK_KEY_z: run(s, shift ? "redo" : "undo"); return TRUE;
        case GDK_KEY_y: run(s, "redo"); return TRUE;
        case GDK_KEY_p: run(s, shift ? "print" : "pause"); return TRUE;
        case GDK_KEY_q: run(s, "quit"); return TRUE;
        case GDK_KEY_r: run(s, "restart"); return TRUE;
        case GDK_KEY_o: run(s, "open"); return TRUE;
        case GDK_KEY_e: run(s, shift ? "picture" : "export"); return TRUE;
        case GDK_KEY_c: run(s, "copy"); return TRUE;
        case GDK_KEY_v: run(s, "paste"); return TRUE;
        case GDK_KEY_i: run(s, "statistics"); return TRUE;
        case GDK_KEY_d: run(s, "dark"); return TRUE;
        case GDK_KEY_m: run(s, "sounds"); return TRUE;
        case GDK_KEY_slash:
        case GDK_KEY_question: run(s, "shortcuts"); return TRUE;
        default: return FALSE;
        }
    }
    switch (event->keyval) {
    case GDK_KEY_F1: run(s, shift ? "help" : "shortcuts"); return TRUE;
    case GDK_KEY_F10: gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(s->menu_button), TRUE); return TRUE;
    case GDK_KEY_F11: run(s, "fullscreen"); return TRUE;
    default: break;
    }
    if (!s->game || !s->game->loaded() || s->paused) return FALSE;
    int digit = -1;
    if (plain >= GDK_KEY_0 && plain <= GDK_KEY_9) digit = static_cast<int>(plain - GDK_KEY_0);
    if (event->keyval >= GDK_KEY_KP_0 && event->keyval <= GDK_KEY_KP_9) digit = static_cast<int>(event->keyval - GDK_KEY_KP_0);
    if (digit >= 1) {
        enter_digit(s, digit, shift || gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(s->pencil_button)));
        return TRUE;
    }
    if (digit == 0) {
        enter_digit(s, 0, false);
        return TRUE;
    }
    switch (event->keyval) {
    case GDK_KEY_BackSpace:
    case GDK_KEY_Delete:
    case GDK_KEY_KP_Delete: enter_digit(s, 0, false); return TRUE;
    case GDK_KEY_Left:
    case GDK_KEY_KP_Left:
    case GDK_KEY_h: move_selection(s, 0, -1); return TRUE;
    case GDK_KEY_Right:
    case GDK_KEY_KP_Right:
    case GDK_KEY_l: move_selection(s, 0, 1); return TRUE;
    case GDK_KEY_Up:
    case GDK_KEY_KP_Up:
    case GDK_KEY_k: move_selection(s, -1, 0); return TRUE;
    case GDK_KEY_Down:
    case GDK_KEY_KP_Down:
    case GDK_KEY_j: move_selection(s, 1, 0); return TRUE;
    case GDK_KEY_p:
    case GDK_KEY_P: run(s, "pencil"); return TRUE;
    case GDK_KEY_c: run(s, "fill"); return TRUE;
    case GDK_KEY_C: run(s, "hide"); return TRUE;
    case GDK_KEY_e:
    case GDK_KEY_E: run(s, "check"); return TRUE;
    default: return FALSE;
    }
}

// ---- Timer ----

gboolean on_tick(gpointer data) {
    auto* s = static_cast<Screen*>(data);
    const gint64 now = g_get_monotonic_time();
    const int64_t ms = (now - s->last_tick) / 1000;
    s->last_tick = now;
    GtkWindow* window = window_of(s);
    if (playing(s) && window && gtk_widget_get_visible(GTK_WIDGET(window))) {
        s->game->add_time(ms);
        s->unsaved_ms += ms;
        gtk_label_set_text(GTK_LABEL(s->timer_label), format_time(s->game->elapsed_ms()).c_str());
        if (s->unsaved_ms >= 15000) save_game(s);
    }
    return G_SOURCE_CONTINUE;
}

// ---- Building the screen ----

GtkWidget* pad_button(Screen* s, const char* label, int digit) {
    GtkWidget* b = gtk_button_new_with_label(label);
    gtk_widget_set_can_focus(b, FALSE);
    gtk_widget_set_focus_on_click(b, FALSE);
    gtk_widget_set_size_request(b, 64, 56);
    g_object_set_data(G_OBJECT(b), "digit", GINT_TO_POINTER(digit));
    g_signal_connect(b, "clicked", G_CALLBACK(+[](GtkButton* button, gpointer data) {
                         auto* s = static_cast<Screen*>(data);
                         const int d = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(button), "digit"));
                         enter_digit(s, d, d > 0 && gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(s->pencil_button)));
                     }),
                     s);
    return b;
}

GtkWidget* action_button(const char* label, const char* action, const char* tooltip) {
    GtkWidget* b = gtk_button_new_with_mnemonic(label);
    gtk_widget_set_can_focus(b, FALSE);
    gtk_actionable_set_action_name(GTK_ACTIONABLE(b), action);
    gtk_widget_set_tooltip_text(b, tooltip);
    return b;
}

GMenuModel* build_menu() {
    // The menu's sections in order; an entry without a label ends a section.
    static const struct {
        const char* label;
        const char* action;
    } kEntries[] = {
        {N_("New game…"), "game.new"},
        {N_("Start again"), "game.restart"},
        {N_("Enter a puzzle of your own…"), "game.enter"},
        {N_("Open a puzzle or picture…"), "game.open"},
        {N_("Export the puzzle as a line…"), "game.export"},
        {N_("Export the board as a picture…"), "game.picture"},
        {N_("Print…"), "game.print"},
        {N_("Copy the puzzle"), "game.copy"},
        {N_("Paste a puzzle"), "game.paste"},
        {nullptr, nullptr},
        {N_("Hint"), "game.hint"},
        {N_("Fill in candidates"), "game.fill"},
        {N_("Hide candidates"), "game.hide"},
        {N_("Check against the solution"), "game.check"},
        {nullptr, nullptr},
        {N_("Dark look"), "game.dark"},
        {N_("Sounds"), "game.sounds"},
        {N_("Full screen"), "game.fullscreen"},
        {N_("Statistics"), "game.statistics"},
        {N_("Keyboard shortcuts"), "game.shortcuts"},
        {N_("Help"), "game.help"},
        {N_("Quit"), "game.quit"},
        {nullptr, nullptr},
    };
    GMenu* menu = g_menu_new();
    GMenu* section = g_menu_new();
    for (const auto& e : kEntries) {
        if (e.label) {
            g_menu_append(section, _(e.label), e.action);
            continue;
        }
        g_menu_append_section(menu, nullptr, G_MENU_MODEL(section));
        g_object_unref(section);
        section = g_menu_new();
    }
    g_object_unref(section);
    return G_MENU_MODEL(menu);
}

void build_actions(Screen* s) {
    s->actions = g_simple_action_group_new();
    const char* plain[] = {"new", "hint", "undo", "redo", "pause", "restart", "fill", "hide", "fullscreen", "open",
                           "export", "print", "picture", "enter", "copy", "paste", "statistics", "shortcuts", "help", "quit"};
    for (const char* name : plain) {
        GSimpleAction* a = g_simple_action_new(name, nullptr);
        g_signal_connect(a, "activate", G_CALLBACK(activate_action), s);
        g_action_map_add_action(G_ACTION_MAP(s->actions), G_ACTION(a));
        g_object_unref(a);
    }
    const char* toggles[] = {"check", "dark", "sounds", "pencil"};
    for (const char* name : toggles) {
        GSimpleAction* a = g_simple_action_new_stateful(name, nullptr, g_variant_new_boolean(FALSE));
        g_signal_connect(a, "activate", G_CALLBACK(activate_action), s);
        g_action_map_add_action(G_ACTION_MAP(s->actions), G_ACTION(a));
        g_object_unref(a);
    }
    gtk_widget_insert_action_group(GTK_WIDGET(s->view), "game", G_ACTION_GROUP(s->actions));
}

void install_style() {
    GtkCssProvider* css = gtk_css_provider_new();
    gtk_css_provider_load_from_data(css, ".pad-digit { font-size: 17pt; font-weight: bold; }", -1, nullptr);
    gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(css),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(css);
}

void build_widgets(Screen* s) {
    install_style();
    s->root = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    gtk_style_context_add_class(gtk_widget_get_style_context(s->root), "background");
    s->infobar = gtk_info_bar_new();
    gtk_info_bar_set_show_close_button(GTK_INFO_BAR(s->infobar), TRUE);
    s->info_label = gtk_label_new("");
    gtk_label_set_line_wrap(GTK_LABEL(s->info_label), TRUE);
    gtk_label_set_xalign(GTK_LABEL(s->info_label), 0);
    gtk_container_add(GTK_CONTAINER(gtk_info_bar_get_content_area(GTK_INFO_BAR(s->infobar))), s->info_label);
    gtk_widget_show(s->info_label);
    g_signal_connect(s->infobar, "response", G_CALLBACK(+[](GtkInfoBar* bar, int, gpointer) {
                         gtk_widget_hide(GTK_WIDGET(bar));
                     }),
                     nullptr);
    gtk_widget_set_no_show_all(s->infobar, TRUE);
    gtk_box_pack_start(GTK_BOX(s->root), s->infobar, FALSE, FALSE, 0);

    GtkWidget* body = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 12);
    gtk_container_set_border_width(GTK_CONTAINER(body), 12);
    gtk_box_pack_start(GTK_BOX(s->root), body, TRUE, TRUE, 0);

    s->bs.on_click = [s](int cell, int button) {
        s->bs.selected = cell;
        gtk_widget_grab_focus(GTK_WIDGET(s->view));
        board_changed(s->board);
        if (button == 3) show_mark_popover(s, cell);
    };
    s->board = board_new(&s->bs);
    gtk_box_pack_start(GTK_BOX(body), s->board, TRUE, TRUE, 0);

    GtkWidget* side = gtk_box_new(GTK_ORIENTATION_VERTICAL, 10);
    gtk_widget_set_size_request(side, 260, -1);
    gtk_box_pack_start(GTK_BOX(body), side, FALSE, FALSE, 0);

    GtkWidget* top = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6);
    s->title_label = gtk_label_new("");
    gtk_style_context_add_class(gtk_widget_get_style_context(s->title_label), "title");
    PangoAttrList* big = pango_attr_list_new();
    pango_attr_list_insert(big, pango_attr_scale_new(1.6));
    pango_attr_list_insert(big, pango_attr_weight_new(PANGO_WEIGHT_BOLD));
    gtk_label_set_attributes(GTK_LABEL(s->title_label), big);
    pango_attr_list_unref(big);
    gtk_widget_set_halign(s->title_label, GTK_ALIGN_START);
    gtk_box_pack_start(GTK_BOX(top), s->title_label, TRUE, TRUE, 0);
    s->menu_button = gtk_menu_button_new();
    gtk_widget_set_can_focus(s->menu_button, FALSE);
    gtk_menu_button_set_menu_model(GTK_MENU_BUTTON(s->menu_button), build_menu());
    gtk_button_set_image(GTK_BUTTON(s->menu_button), gtk_image_new_from_icon_name("open-menu-symbolic", GTK_ICON_SIZE_BUTTON));
    gtk_widget_set_tooltip_text(s->menu_button, _("Menu (F10)"));
    gtk_box_pack_end(GTK_BOX(top), s->menu_button, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(side), top, FALSE, FALSE, 0);

    s->kind_label = gtk_label_new("");
    gtk_widget_set_halign(s->kind_label, GTK_ALIGN_START);
    gtk_box_pack_start(GTK_BOX(side), s->kind_label, FALSE, FALSE, 0);
    s->timer_label = gtk_label_new("0:00");
    PangoAttrList* timer = pango_attr_list_new();
    pango_attr_list_insert(timer, pango_attr_scale_new(2.0));
    pango_attr_list_insert(timer, pango_attr_family_new("Monospace"));
    gtk_label_set_attributes(GTK_LABEL(s->timer_label), timer);
    pango_attr_list_unref(timer);
    gtk_widget_set_halign(s->timer_label, GTK_ALIGN_START);
    gtk_box_pack_start(GTK_BOX(side), s->timer_label, FALSE, FALSE, 0);
    s->progress = gtk_progress_bar_new();
    gtk_progress_bar_set_show_text(GTK_PROGRESS_BAR(s->progress), TRUE);
    gtk_box_pack_start(GTK_BOX(side), s->progress, FALSE, FALSE, 0);

    GtkWidget* pad = gtk_grid_new();
    gtk_grid_set_row_spacing(GTK_GRID(pad), 6);
    gtk_grid_set_column_spacing(GTK_GRID(pad), 6);
    gtk_grid_set_column_homogeneous(GTK_GRID(pad), TRUE);
    for (int d = 1; d <= 9; ++d) {
        const std::string label = std::to_string(d);
        s->pad[d] = pad_button(s, label.c_str(), d);
        gtk_style_context_add_class(gtk_widget_get_style_context(s->pad[d]), "pad-digit");
        char* tip = g_strdup_printf(_("Enter %d (a pencil mark in pencil mode)"), d);
        gtk_widget_set_tooltip_text(s->pad[d], tip);
        g_free(tip);
        gtk_grid_attach(GTK_GRID(pad), s->pad[d], (d - 1) % 3, (d - 1) / 3, 1, 1);
    }
    s->pad[0] = pad_button(s, _("Erase"), 0);
    gtk_widget_set_tooltip_text(s->pad[0], _("Clear the cell (0, Backspace, Delete)"));
    gtk_grid_attach(GTK_GRID(pad), s->pad[0], 0, 3, 1, 1);
    s->pencil_button = gtk_toggle_button_new_with_label(_("Pencil"));
    gtk_widget_set_can_focus(s->pencil_button, FALSE);
    gtk_widget_set_tooltip_text(s->pencil_button, _("Pencil mode: digits become marks (P)"));
    g_signal_connect(s->pencil_button, "toggled", G_CALLBACK(+[](GtkToggleButton*, gpointer data) {
                         auto* s = static_cast<Screen*>(data);
                         if (!s->updating_widgets) refresh(s);
                     }),
                     s);
    gtk_grid_attach(GTK_GRID(pad), s->pencil_button, 1, 3, 2, 1);
    gtk_box_pack_start(GTK_BOX(side), pad, FALSE, FALSE, 6);

    GtkWidget* row1 = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6);
    gtk_box_set_homogeneous(GTK_BOX(row1), TRUE);
    s->undo_button = action_button(_("_Undo"), "game.undo", _("Undo (Ctrl+Z)"));
    s->redo_button = action_button(_("_Redo"), "game.redo", _("Redo (Ctrl+Shift+Z)"));
    gtk_box_pack_start(GTK_BOX(row1), s->undo_button, TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(row1), s->redo_button, TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(side), row1, FALSE, FALSE, 0);
    GtkWidget* row2 = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6);
    gtk_box_set_homogeneous(GTK_BOX(row2), TRUE);
    gtk_box_pack_start(GTK_BOX(row2), action_button(_("_Candidates"), "game.fill", _("Fill in all candidates (C)")), TRUE, TRUE, 0);
    s->hint_button = action_button(_("_Hint"), "game.hint", _("Hint: the technique, then where, then apply (Ctrl+H)"));
    gtk_box_pack_start(GTK_BOX(row2), s->hint_button, TRUE, TRUE, 0);
    s->pause_button = action_button(_("_Pause"), "game.pause", _("Pause or go on (Ctrl+P)"));
    gtk_box_pack_start(GTK_BOX(row2), s->pause_button, TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(side), row2, FALSE, FALSE, 0);
    GtkWidget* check = gtk_check_button_new_with_mnemonic(_("Show _mistakes"));
    gtk_widget_set_can_focus(check, FALSE);
    gtk_actionable_set_action_name(GTK_ACTIONABLE(check), "game.check");
    gtk_box_pack_start(GTK_BOX(side), check, FALSE, FALSE, 0);
    gtk_box_pack_end(GTK_BOX(side), action_button(_("_New game"), "game.new", _("New game (Ctrl+N)")), FALSE, FALSE, 0);
    s->about_label = gtk_label_new("");
    gtk_label_set_line_wrap(GTK_LABEL(s->about_label), TRUE);
    gtk_label_set_max_width_chars(GTK_LABEL(s->about_label), 30);
    gtk_label_set_xalign(GTK_LABEL(s->about_label), 0);
    gtk_style_context_add_class(gtk_widget_get_style_context(s->about_label), "dim-label");
    gtk_box_pack_start(GTK_BOX(side), s->about_label, FALSE, FALSE, 0);

    gtk_widget_show_all(s->root);
    gtk_box_pack_start(GTK_BOX(s->view), s->root, TRUE, TRUE, 0);
}

bool desktop_prefers_dark() {
    gboolean prefer = FALSE;
    gchar* theme = nullptr;
    g_object_get(gtk_settings_get_default(), "gtk-application-prefer-dark-theme", &prefer, "gtk-theme-name", &theme,
                 nullptr);
    bool dark = prefer;
    if (theme) {
        gchar* lower = g_ascii_strdown(theme, -1);
        dark = dark || std::strstr(lower, "dark");
        g_free(lower);
        g_free(theme);
    }
    if (const char* env = g_getenv("GTK_THEME")) dark = dark || std::strstr(env, ":dark");
    return dark;
}

bool maps_present(const std::string& dir) {
    static const char* const names[] = {"mir01", "mir02", "mir03", "mir04", "mir05", "mir06", "mir07", "mir08",
                                        "mir09", "mir10", "rot_2grp01", "rot_3grp01", "rot_3grp02", "rot_3grp03",
                                        "rot_3grp04"};
    for (const char* n : names)
        if (g_file_test((dir + "/" + n + ".z").c_str(), G_FILE_TEST_IS_REGULAR)) return true;
    return false;
}

void destroy_screen(gpointer data) {
    auto* s = static_cast<Screen*>(data);
    if (g_screen == s) g_screen = nullptr;
    stop_job(s);
    clear_hint(s);
    if (s->about_source) g_source_remove(s->about_source);
    if (s->tick_source) g_source_remove(s->tick_source);
    if (s->game && s->game->loaded()) save_game(s);
    if (s->stock) s->stock->stop_refill();
    if (s->actions) g_object_unref(s->actions);
    if (s->picture) g_object_unref(s->picture);
    delete s;
}

}  // namespace

void start_screen(FlView* view, char** arguments) {
    auto* s = new Screen();
    g_screen = s;
    s->view = view;
    g_object_set_data_full(G_OBJECT(view), "quadrillo-screen", s, destroy_screen);
    build_actions(s);
    build_widgets(s);
    g_signal_connect(view, "key-press-event", G_CALLBACK(on_key), s);
    // Pictures and puzzle files dropped on the window are opened like files from the menu.
    gtk_drag_dest_set(GTK_WIDGET(view), GTK_DEST_DEFAULT_ALL, nullptr, 0, GDK_ACTION_COPY);
    gtk_drag_dest_add_uri_targets(GTK_WIDGET(view));
    g_signal_connect(view, "drag-data-received",
                     G_CALLBACK(+[](GtkWidget*, GdkDragContext*, int, int, GtkSelectionData* data, guint, guint,
                                    gpointer user) {
                         auto* s = static_cast<Screen*>(user);
                         gchar** uris = gtk_selection_data_get_uris(data);
                         if (uris && uris[0]) {
                             if (gchar* path = g_filename_from_uri(uris[0], nullptr, nullptr)) {
                                 open_path(s, path, 0);
                                 g_free(path);
                             }
                         }
                         g_strfreev(uris);
                     }),
                     s);

    s->data_dir = std::string(g_get_user_data_dir()) + "/quadrillo";
    g_mkdir_with_parents(s->data_dir.c_str(), 0755);
    s->save_path = s->data_dir + "/current.game";
    s->stats_path = s->data_dir + "/statistics";
    s->settings_path = s->data_dir + "/settings";
    s->settings = game::Settings::decode(file_text(s->settings_path));
    s->stats = game::Statistics::decode(file_text(s->stats_path));
    s->desktop_dark = desktop_prefers_dark();
    apply_look(s);
    audio_plugin_set_enabled(view, s->settings.sounds);

    frontend::Engine& engine = the_engine();
    std::string why;
    s->engine_ok = engine.library || frontend::load_engine(frontend::default_engine_path(), engine, why);
    if (!s->engine_ok) {
        show_message(s, why + _(" The game cannot run without it; reinstall Quadrillo or build it with `make run`."),
                     GTK_MESSAGE_ERROR);
        refresh(s);
        fl_view_frame_ready(view);
        return;
    }
    s->game = std::make_unique<game::Game>(engine);
    s->bs.game = s->game.get();
    s->maps_ok = maps_present(engine.maps_dir);

    s->stock = std::make_unique<game::Stock>(engine, s->data_dir + "/stock");
    std::string stock_message;
    if (!s->stock->open(stock_message))
        show_message(s, stock_message, GTK_MESSAGE_WARNING);
    else if (!stock_message.empty())
        show_message(s, stock_message, GTK_MESSAGE_INFO);

    resume_saved(s);
    handle_arguments(s, arguments);
    if (!s->game->loaded() || s->game->finished) {
        Choice c{s->maps_ok ? s->settings.map_kind : 0, s->settings.adjacency, std::clamp(s->settings.bucket, 0, 9)};
        new_game_of(s, c);
    }
    if (!s->maps_ok)
        show_message(s, _("The jigsaw map files were not found in ") + engine.maps_dir +
                            _("; only square games can be played until they are installed."),
                     GTK_MESSAGE_WARNING);
    s->last_tick = g_get_monotonic_time();
    s->tick_source = g_timeout_add(250, on_tick, s);
    refresh(s);
    s->starting = false;
    fl_view_frame_ready(view);
    if (!s->print_pdf.empty()) {
        g_signal_connect_swapped(view, "first-frame", G_CALLBACK(+[](Screen* s) { g_idle_add(print_and_quit, s); }), s);
        return;
    }
    if (g_getenv("QUADRILLO_BENCH_NEWGAME")) {
        s->benchmarking = true;
        s->bs.on_drawn = [s] { bench_drawn(s); };
        g_signal_connect_swapped(view, "first-frame", G_CALLBACK(+[](Screen* s) { g_idle_add(bench_step_idle, s); }), s);
        return;
    }
    s->stock->start_refill();
}

}  // namespace ui
