// The board widget: layout, drawing, clicks and the accessible table of 81 cells.
#include "board.h"

#include <gtk/gtk-a11y.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "look.h"
#include "translate.h"

namespace {

struct Geometry {
    double x0, y0, size, cell;
};

Geometry geometry_for(double w, double h, double margin) {
    const double size = std::max(90.0, std::min(w, h) - 2 * margin);
    return {(w - size) / 2, (h - size) / 2, size, size / 9};
}

Geometry geometry_of(GtkWidget* widget) {
    return geometry_for(gtk_widget_get_allocated_width(widget), gtk_widget_get_allocated_height(widget), 8.0);
}

void set_rgb(cairo_t* cr, const ui::Rgb& c, double alpha = 1.0) { cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha); }

void draw_text(cairo_t* cr, const char* text, double cx, double cy, double px, bool bold) {
    PangoLayout* layout = pango_cairo_create_layout(cr);
    PangoFontDescription* font = pango_font_description_from_string(bold ? "Sans Bold" : "Sans");
    pango_font_description_set_absolute_size(font, px * PANGO_SCALE);
    pango_layout_set_font_description(layout, font);
    pango_layout_set_text(layout, text, -1);
    PangoRectangle ink, logical;
    pango_layout_get_pixel_extents(layout, &ink, &logical);
    cairo_move_to(cr, cx - logical.width / 2.0, cy - logical.height / 2.0);
    pango_cairo_show_layout(cr, layout);
    pango_font_description_free(font);
    g_object_unref(layout);
}

bool on_diagonal(int k) { return k / 9 == k % 9 || k / 9 + k % 9 == 8; }

}  // namespace

// ---- The widget type ----

struct QdBoard {
    GtkDrawingArea parent_instance;
    ui::BoardState* state;
    AtkObject* cells[81];
};
struct QdBoardClass {
    GtkDrawingAreaClass parent_class;
};

// ---- Accessible objects: the board is a table, each cell a table cell with a readable name ----

struct QdCellAccessible {
    AtkObject parent_instance;
    int index;
    GtkWidget* board;  // weak
};
struct QdCellAccessibleClass {
    AtkObjectClass parent_class;
};

G_DEFINE_TYPE(QdCellAccessible, qd_cell_accessible, ATK_TYPE_OBJECT)

static gint qd_cell_accessible_index(AtkObject* obj) { return reinterpret_cast<QdCellAccessible*>(obj)->index; }

static AtkStateSet* qd_cell_accessible_states(AtkObject* obj) {
    auto* self = reinterpret_cast<QdCellAccessible*>(obj);
    AtkStateSet* set = atk_state_set_new();
    atk_state_set_add_state(set, ATK_STATE_VISIBLE);
    atk_state_set_add_state(set, ATK_STATE_SHOWING);
    atk_state_set_add_state(set, ATK_STATE_SELECTABLE);
    atk_state_set_add_state(set, ATK_STATE_FOCUSABLE);
    if (self->board) {
        auto* board = reinterpret_cast<QdBoard*>(self->board);
        if (board->state && board->state->selected == self->index) {
            atk_state_set_add_state(set, ATK_STATE_SELECTED);
            atk_state_set_add_state(set, ATK_STATE_FOCUSED);
        }
    }
    return set;
}

static void qd_cell_accessible_class_init(QdCellAccessibleClass* klass) {
    ATK_OBJECT_CLASS(klass)->get_index_in_parent = qd_cell_accessible_index;
    ATK_OBJECT_CLASS(klass)->ref_state_set = qd_cell_accessible_states;
}
static void qd_cell_accessible_init(QdCellAccessible*) {}

struct QdBoardAccessible {
    GtkWidgetAccessible parent_instance;
};
struct QdBoardAccessibleClass {
    GtkWidgetAccessibleClass parent_class;
};

G_DEFINE_TYPE(QdBoardAccessible, qd_board_accessible, GTK_TYPE_WIDGET_ACCESSIBLE)

static gint qd_board_accessible_n_children(AtkObject*) { return 81; }

static AtkObject* qd_board_accessible_ref_child(AtkObject* obj, gint i) {
    GtkWidget* widget = gtk_accessible_get_widget(GTK_ACCESSIBLE(obj));
    if (!widget || i < 0 || i >= 81) return nullptr;
    return ATK_OBJECT(g_object_ref(reinterpret_cast<QdBoard*>(widget)->cells[i]));
}

static void qd_board_accessible_initialize(AtkObject* obj, gpointer data) {
    ATK_OBJECT_CLASS(qd_board_accessible_parent_class)->initialize(obj, data);
    atk_object_set_role(obj, ATK_ROLE_TABLE);
    atk_object_set_name(obj, _("Sudoku board"));
}

static void qd_board_accessible_class_init(QdBoardAccessibleClass* klass) {
    ATK_OBJECT_CLASS(klass)->get_n_children = qd_board_accessible_n_children;
    ATK_OBJECT_CLASS(klass)->ref_child = qd_board_accessible_ref_child;
    ATK_OBJECT_CLASS(klass)->initialize = qd_board_accessible_initialize;
}
static void qd_board_accessible_init(QdBoardAccessible*) {}

G_DEFINE_TYPE(QdBoard, qd_board, GTK_TYPE_DRAWING_AREA)

void ui::paint_board(cairo_t* cr, const BoardState& st, double width, double height) {
    const ui::Look& look = st.dark && !st.print ? ui::dark_look() : ui::light_look();
    if (!st.print) {
        set_rgb(cr, look.background);
        cairo_paint(cr);
    }
    const Geometry g = geometry_for(width, height, st.print ? 2.0 : 8.0);
    const game::Game* game = st.game;
    if (!game || !game->loaded()) return;

    if (st.paused) {
        set_rgb(cr, look.cell);
        cairo_rectangle(cr, g.x0, g.y0, g.size, g.size);
        cairo_fill(cr);
        set_rgb(cr, look.paused_text);
        draw_text(cr, _("Paused"), g.x0 + g.size / 2, g.y0 + g.size / 2 - g.cell * 0.3, g.cell * 0.6, true);
        draw_text(cr, _("Ctrl+P to go on"), g.x0 + g.size / 2, g.y0 + g.size / 2 + g.cell * 0.4, g.cell * 0.3, false);
        set_rgb(cr, look.wall);
        cairo_set_line_width(cr, std::max(2.0, g.cell / 16));
        cairo_rectangle(cr, g.x0, g.y0, g.size, g.size);
        cairo_stroke(cr);
        return;
    }

    game::CellView cells[81];
    for (int k = 0; k < 81; ++k) {
        cells[k] = game->cell(k);
        if (st.print && !cells[k].given) cells[k] = game::CellView{0, false, false, 0, cells[k].solution, cells[k].group};
    }
    const bool jigsaw = game->map_kind() == 1, x = game->adjacency() == 1;
    const int sel = st.print || st.selected < 0 || st.selected > 80 ? -1 : st.selected;
    const int sel_digit = sel >= 0 ? cells[sel].digit : 0;

    for (int k = 0; k < 81; ++k) {
        const double cx = g.x0 + (k % 9) * g.cell, cy = g.y0 + (k / 9) * g.cell;
        set_rgb(cr, jigsaw ? look.groups[game->colour_of_group(cells[k].group) & 3] : look.cell);
        cairo_rectangle(cr, cx, cy, g.cell, g.cell);
        cairo_fill(cr);
        if (x && on_diagonal(k)) {
            set_rgb(cr, look.diagonal, 0.6);
            cairo_rectangle(cr, cx, cy, g.cell, g.cell);
            cairo_fill(cr);
        }
        const bool in_house = sel >= 0 && k != sel && game->sees(sel, k);
        if (in_house) {
            set_rgb(cr, look.house, 0.75);
            cairo_rectangle(cr, cx, cy, g.cell, g.cell);
            cairo_fill(cr);
        }
        if (k != sel && sel_digit && (cells[k].digit == sel_digit ||
                                      (cells[k].marks_shown && (cells[k].marks & (1u << sel_digit))))) {
            set_rgb(cr, look.same_digit, cells[k].digit ? 0.9 : 0.4);
            cairo_rectangle(cr, cx, cy, g.cell, g.cell);
            cairo_fill(cr);
        }
        if (k == sel) {
            set_rgb(cr, look.selected, 0.85);
            cairo_rectangle(cr, cx, cy, g.cell, g.cell);
            cairo_fill(cr);
        }
        if (cells[k].digit && game->conflicting(k)) {
            set_rgb(cr, look.conflict, 0.9);
            cairo_rectangle(cr, cx + g.cell * 0.08, cy + g.cell * 0.08, g.cell * 0.84, g.cell * 0.84);
            cairo_fill(cr);
        }
    }

    if (x) {
        // The two extra houses, also as lines from corner to corner, so they read at a glance.
        set_rgb(cr, look.diagonal, 0.9);
        cairo_set_line_width(cr, std::max(1.5, g.cell / 22));
        cairo_move_to(cr, g.x0, g.y0);
        cairo_line_to(cr, g.x0 + g.size, g.y0 + g.size);
        cairo_move_to(cr, g.x0 + g.size, g.y0);
        cairo_line_to(cr, g.x0, g.y0 + g.size);
        cairo_stroke(cr);
    }

    const SudokuStep* hint = st.print ? nullptr : st.hint;
    if (hint && hint->status == 1) {
        for (int k = 0; k < 81; ++k) {
            const double cx = g.x0 + (k % 9) * g.cell, cy = g.y0 + (k / 9) * g.cell;
            const bool diag = x && k / 9 == k % 9, anti = x && k / 9 + k % 9 == 8;
            const unsigned houses = (1u << (k / 9)) | (1u << (9 + k % 9)) | (1u << (18 + cells[k].group)) |
                                    (diag ? 1u << 27 : 0u) | (anti ? 1u << 28 : 0u);
            if (hint->houses & houses) {
                set_rgb(cr, look.hint, 0.18);
                cairo_rectangle(cr, cx, cy, g.cell, g.cell);
                cairo_fill(cr);
            }
        }
    }

    // Thin lines inside groups, then walls between groups and around the board.
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_SQUARE);
    set_rgb(cr, look.thin_line);
    cairo_set_line_width(cr, std::max(1.0, g.cell / 40));
    for (int i = 1; i < 9; ++i) {
        cairo_move_to(cr, g.x0 + i * g.cell, g.y0);
        cairo_line_to(cr, g.x0 + i * g.cell, g.y0 + g.size);
        cairo_move_to(cr, g.x0, g.y0 + i * g.cell);
        cairo_line_to(cr, g.x0 + g.size, g.y0 + i * g.cell);
    }
    cairo_stroke(cr);
    set_rgb(cr, look.wall);
    cairo_set_line_width(cr, std::max(2.0, g.cell / 14));
    for (int k = 0; k < 81; ++k) {
        const double cx = g.x0 + (k % 9) * g.cell, cy = g.y0 + (k / 9) * g.cell;
        if (k % 9 < 8 && !game->same_group_right(k)) {
            cairo_move_to(cr, cx + g.cell, cy);
            cairo_line_to(cr, cx + g.cell, cy + g.cell);
        }
        if (k / 9 < 8 && !game->same_group_below(k)) {
            cairo_move_to(cr, cx, cy + g.cell);
            cairo_line_to(cr, cx + g.cell, cy + g.cell);
        }
    }
    cairo_stroke(cr);
    cairo_set_line_width(cr, std::max(3.0, g.cell / 10));
    cairo_rectangle(cr, g.x0, g.y0, g.size, g.size);
    cairo_stroke(cr);

    // Digits and marks.
    for (int k = 0; k < 81; ++k) {
        const double cx = g.x0 + (k % 9) * g.cell, cy = g.y0 + (k / 9) * g.cell;
        const game::CellView& v = cells[k];
        if (v.digit) {
            const char text[2] = {static_cast<char>('0' + v.digit), 0};
            if (v.given)
                set_rgb(cr, look.given);
            else if (st.check && v.digit != v.solution)
                set_rgb(cr, look.wrong);
            else
                set_rgb(cr, look.answer);
            draw_text(cr, text, cx + g.cell / 2, cy + g.cell / 2, g.cell * 0.62, v.given);
            if (!v.given && st.check && v.digit != v.solution) {
                set_rgb(cr, look.wrong);
                cairo_set_line_width(cr, std::max(1.0, g.cell / 30));
                cairo_move_to(cr, cx + g.cell * 0.2, cy + g.cell * 0.8);
                cairo_line_to(cr, cx + g.cell * 0.8, cy + g.cell * 0.2);
                cairo_stroke(cr);
            }
        } else if (v.marks_shown) {
            for (int d = 1; d <= 9; ++d) {
                if (!(v.marks & (1u << d))) continue;
                const char text[2] = {static_cast<char>('0' + d), 0};
                const bool hit = d == sel_digit;
                set_rgb(cr, hit ? look.answer : look.mark);
                draw_text(cr, text, cx + g.cell * (0.2 + 0.3 * ((d - 1) % 3)),
                          cy + g.cell * (0.2 + 0.3 * ((d - 1) / 3)), g.cell * 0.25, hit);
            }
        }
    }
    if (hint && hint->status == 1) {
        for (int k = 0; k < 81; ++k) {
            const double cx = g.x0 + (k % 9) * g.cell, cy = g.y0 + (k / 9) * g.cell;
            if (hint->pattern[k] || hint->placed[k]) {
                set_rgb(cr, look.hint);
                cairo_set_line_width(cr, std::max(2.0, g.cell / 14));
                cairo_rectangle(cr, cx + g.cell * 0.06, cy + g.cell * 0.06, g.cell * 0.88, g.cell * 0.88);
                cairo_stroke(cr);
            }
            if (hint->placed[k] && !cells[k].digit) {
                const char text[2] = {static_cast<char>('0' + hint->placed[k]), 0};
                set_rgb(cr, look.hint, 0.8);
                draw_text(cr, text, cx + g.cell / 2, cy + g.cell / 2, g.cell * 0.62, false);
            }
            for (int d = 1; d <= 9; ++d) {
                if (!(hint->removed[k] & (1 << d))) continue;
                const char text[2] = {static_cast<char>('0' + d), 0};
                const double mx = cx + g.cell * (0.2 + 0.3 * ((d - 1) % 3)), my = cy + g.cell * (0.2 + 0.3 * ((d - 1) / 3));
                set_rgb(cr, look.hint_removed);
                draw_text(cr, text, mx, my, g.cell * 0.25, true);
                cairo_set_line_width(cr, std::max(1.0, g.cell / 40));
                cairo_move_to(cr, mx - g.cell * 0.12, my + g.cell * 0.1);
                cairo_line_to(cr, mx + g.cell * 0.12, my - g.cell * 0.1);
                cairo_stroke(cr);
            }
        }
    }
    if (hint && hint->status == -2 && hint->wrong_cell >= 0 && hint->wrong_cell < 81) {
        const int k = hint->wrong_cell;
        set_rgb(cr, look.wrong);
        cairo_set_line_width(cr, std::max(2.0, g.cell / 12));
        cairo_rectangle(cr, g.x0 + (k % 9) * g.cell + 3, g.y0 + (k / 9) * g.cell + 3, g.cell - 6, g.cell - 6);
        cairo_stroke(cr);
    }
    if (st.pencil && sel >= 0) {
        // A small pencil sign in the selected cell's corner says that digits go in as marks.
        const double cx = g.x0 + (sel % 9) * g.cell, cy = g.y0 + (sel / 9) * g.cell;
        set_rgb(cr, look.answer);
        cairo_move_to(cr, cx + g.cell, cy);
        cairo_line_to(cr, cx + g.cell * 0.75, cy);
        cairo_line_to(cr, cx + g.cell, cy + g.cell * 0.25);
        cairo_close_path(cr);
        cairo_fill(cr);
    }
}

static gboolean qd_board_draw(GtkWidget* widget, cairo_t* cr) {
    auto* self = reinterpret_cast<QdBoard*>(widget);
    if (self->state) {
        ui::paint_board(cr, *self->state, gtk_widget_get_allocated_width(widget),
                        gtk_widget_get_allocated_height(widget));
        if (self->state->on_drawn) self->state->on_drawn();
    }
    return TRUE;
}

static gboolean qd_board_press(GtkWidget* widget, GdkEventButton* event) {
    auto* self = reinterpret_cast<QdBoard*>(widget);
    if (event->type != GDK_BUTTON_PRESS || !self->state) return FALSE;
    const int cell = ui::board_cell_at(widget, event->x, event->y);
    if (cell >= 0 && self->state->on_click) self->state->on_click(cell, static_cast<int>(event->button));
    return TRUE;
}

static void qd_board_finalize(GObject* object) {
    auto* self = reinterpret_cast<QdBoard*>(object);
    for (AtkObject*& c : self->cells) {
        reinterpret_cast<QdCellAccessible*>(c)->board = nullptr;
        g_clear_object(&c);
    }
    G_OBJECT_CLASS(qd_board_parent_class)->finalize(object);
}

static void qd_board_class_init(QdBoardClass* klass) {
    G_OBJECT_CLASS(klass)->finalize = qd_board_finalize;
    GTK_WIDGET_CLASS(klass)->draw = qd_board_draw;
    GTK_WIDGET_CLASS(klass)->button_press_event = qd_board_press;
    gtk_widget_class_set_accessible_type(GTK_WIDGET_CLASS(klass), qd_board_accessible_get_type());
}

static void qd_board_init(QdBoard* self) {
    gtk_widget_add_events(GTK_WIDGET(self), GDK_BUTTON_PRESS_MASK);
    gtk_widget_set_hexpand(GTK_WIDGET(self), TRUE);
    gtk_widget_set_vexpand(GTK_WIDGET(self), TRUE);
    gtk_widget_set_size_request(GTK_WIDGET(self), 300, 300);
    for (int i = 0; i < 81; ++i) {
        auto* cell = reinterpret_cast<QdCellAccessible*>(g_object_new(qd_cell_accessible_get_type(), nullptr));
        cell->index = i;
        cell->board = GTK_WIDGET(self);
        atk_object_set_role(ATK_OBJECT(cell), ATK_ROLE_TABLE_CELL);
        self->cells[i] = ATK_OBJECT(cell);
    }
}

namespace ui {

GtkWidget* board_new(BoardState* state) {
    auto* self = reinterpret_cast<QdBoard*>(g_object_new(qd_board_get_type(), nullptr));
    self->state = state;
    AtkObject* table = gtk_widget_get_accessible(GTK_WIDGET(self));
    for (AtkObject* c : self->cells) atk_object_set_parent(c, table);
    board_changed(GTK_WIDGET(self));
    return GTK_WIDGET(self);
}

std::string describe_cell(const game::Game& game, int cell) {
    char text[160];
    const game::CellView v = game.cell(cell);
    int n = std::snprintf(text, sizeof text, _("Row %d, column %d: "), cell / 9 + 1, cell % 9 + 1);
    if (v.digit) {
        std::snprintf(text + n, sizeof text - n, "%d%s", v.digit, v.given ? _(", given") : "");
    } else if (v.marks_shown && v.marks) {
        n += std::snprintf(text + n, sizeof text - n, "%s", _("marks"));
        for (int d = 1; d <= 9; ++d)
            if (v.marks & (1u << d)) n += std::snprintf(text + n, sizeof text - n, " %d", d);
    } else {
        std::snprintf(text + n, sizeof text - n, "%s", _("empty"));
    }
    return text;
}

void board_changed(GtkWidget* board) {
    auto* self = reinterpret_cast<QdBoard*>(board);
    gtk_widget_queue_draw(board);
    if (!self->state || !self->state->game || !self->state->game->loaded()) return;
    for (int i = 0; i < 81; ++i) {
        const std::string name = describe_cell(*self->state->game, i);
        const char* old = atk_object_get_name(self->cells[i]);
        if (!old || name != old) atk_object_set_name(self->cells[i], name.c_str());
    }
}

int board_cell_at(GtkWidget* board, double x, double y) {
    const Geometry g = geometry_of(board);
    const int c = static_cast<int>((x - g.x0) / g.cell), r = static_cast<int>((y - g.y0) / g.cell);
    if (x < g.x0 || y < g.y0 || c < 0 || c > 8 || r < 0 || r > 8) return -1;
    return r * 9 + c;
}

}  // namespace ui
