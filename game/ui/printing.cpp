// Printing and picture export, both drawn by the board's own painter.
#include "printing.h"

#include <cairo-svg.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <memory>

#include "board.h"
#include "game.h"
#include "translate.h"

namespace ui {

namespace {

struct PrintJob {
    const frontend::Engine* engine;
    const std::vector<PrintItem>* items;
    int per_page;
};

void layout_of(int per_page, int* cols, int* rows) {
    *cols = per_page >= 4 ? 2 : 1;
    *rows = per_page == 6 ? 3 : per_page >= 2 ? 2 : 1;
}

void draw_page(GtkPrintOperation*, GtkPrintContext* context, int page, gpointer data) {
    const auto* job = static_cast<const PrintJob*>(data);
    cairo_t* cr = gtk_print_context_get_cairo_context(context);
    const double w = gtk_print_context_get_width(context), h = gtk_print_context_get_height(context);
    int cols, rows;
    layout_of(job->per_page, &cols, &rows);
    const double cell_w = w / cols, cell_h = h / rows, caption = std::min(cell_h * 0.08, 28.0);
    for (int i = 0; i < job->per_page; ++i) {
        const size_t index = static_cast<size_t>(page * job->per_page + i);
        if (index >= job->items->size()) break;
        const PrintItem& item = (*job->items)[index];
        game::Game g(*job->engine);
        std::string why;
        if (!g.start(item.record, why)) continue;
        BoardState st;
        st.game = &g;
        st.print = true;
        cairo_save(cr);
        cairo_translate(cr, (i % cols) * cell_w, (i / cols) * cell_h);
        PangoLayout* layout = gtk_print_context_create_pango_layout(context);
        PangoFontDescription* font = pango_font_description_from_string("Sans");
        pango_font_description_set_absolute_size(font, caption * 0.6 * PANGO_SCALE);
        pango_layout_set_font_description(layout, font);
        pango_layout_set_text(layout, item.caption.c_str(), -1);
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_move_to(cr, cell_w * 0.05, 0);
        pango_cairo_show_layout(cr, layout);
        pango_font_description_free(font);
        g_object_unref(layout);
        cairo_translate(cr, 0, caption);
        paint_board(cr, st, cell_w, cell_h - caption * 1.5);
        cairo_restore(cr);
    }
}

}  // namespace

bool print_puzzles(GtkWindow* parent, const frontend::Engine& engine, const std::vector<PrintItem>& items, int per_page,
                   const std::string& pdf_path, std::string& why) {
    if (items.empty()) {
        why = _("there is nothing to print");
        return false;
    }
    per_page = per_page == 2 || per_page == 4 || per_page == 6 ? per_page : 1;
    PrintJob job{&engine, &items, per_page};
    GtkPrintOperation* op = gtk_print_operation_new();
    gtk_print_operation_set_n_pages(op, static_cast<int>((items.size() + per_page - 1) / per_page));
    gtk_print_operation_set_unit(op, GTK_UNIT_POINTS);
    gtk_print_operation_set_job_name(op, _("Quadrillo puzzles"));
    gtk_print_operation_set_embed_page_setup(op, TRUE);
    g_signal_connect(op, "draw-page", G_CALLBACK(draw_page), &job);
    GtkPrintOperationAction action = GTK_PRINT_OPERATION_ACTION_PRINT_DIALOG;
    if (!pdf_path.empty()) {
        gtk_print_operation_set_export_filename(op, pdf_path.c_str());
        action = GTK_PRINT_OPERATION_ACTION_EXPORT;
    }
    GError* error = nullptr;
    const GtkPrintOperationResult result = gtk_print_operation_run(op, action, parent, &error);
    g_object_unref(op);
    if (result == GTK_PRINT_OPERATION_RESULT_ERROR) {
        why = error ? error->message : _("printing failed");
        g_clear_error(&error);
        return false;
    }
    return true;
}

bool export_board(const frontend::Engine& engine, const game::GameRecord& record, bool dark, int size,
                  const std::string& path, std::string& why) {
    game::Game g(engine);
    if (!g.start(record, why)) return false;
    BoardState st;
    st.game = &g;
    st.dark = dark;
    st.selected = -1;
    const bool svg = path.size() >= 4 && g_ascii_strcasecmp(path.c_str() + path.size() - 4, ".svg") == 0;
    cairo_surface_t* surface = svg ? cairo_svg_surface_create(path.c_str(), size, size)
                                   : cairo_image_surface_create(CAIRO_FORMAT_RGB24, size, size);
    cairo_t* cr = cairo_create(surface);
    paint_board(cr, st, size, size);
    cairo_destroy(cr);
    cairo_status_t status = cairo_surface_status(surface);
    if (!svg && status == CAIRO_STATUS_SUCCESS) status = cairo_surface_write_to_png(surface, path.c_str());
    cairo_surface_finish(surface);
    if (status == CAIRO_STATUS_SUCCESS) status = cairo_surface_status(surface);
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS) {
        why = path + ": " + cairo_status_to_string(status);
        return false;
    }
    return true;
}

}  // namespace ui
