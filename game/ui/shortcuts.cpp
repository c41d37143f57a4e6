// The keyboard shortcuts window, built from one table of keys.
#include "shortcuts.h"
#include "translate.h"

#include <string>

namespace ui {

namespace {

// A group heading (accelerator null) or a key and what it does, in GTK's accelerator syntax.
struct Key {
    const char* accelerator;
    const char* title;
};

const Key kKeys[] = {
    {nullptr, N_("Board")},
    {"Left Right Up Down", N_("Move the selection")},
    {"h j k l", N_("Move the selection (left, down, up, right)")},
    {"1...9", N_("Enter a digit (a pencil mark in pencil mode)")},
    {"<Shift>1...9", N_("Toggle a pencil mark")},
    {"0 BackSpace Delete", N_("Clear the cell")},
    {"p", N_("Pencil mode on or off")},
    {"c", N_("Fill in all candidates (kept up to date)")},
    {"<Shift>c", N_("Hide the candidates")},
    {"e", N_("Check digits against the solution, on or off")},
    {nullptr, N_("Game")},
    {"<Ctrl>n", N_("New game")},
    {"<Ctrl><Shift>n", N_("Enter a puzzle of your own")},
    {"<Ctrl>h", N_("Hint: the technique, then where, then apply it")},
    {"<Ctrl>z", N_("Undo")},
    {"<Ctrl><Shift>z <Ctrl>y", N_("Redo")},
    {"<Ctrl>p", N_("Pause or go on")},
    {"<Ctrl>r", N_("Start this puzzle again")},
    {"<Ctrl>o", N_("Open a puzzle file or a picture")},
    {"<Ctrl><Shift>p", N_("Print puzzles (or save them as PDF)")},
    {"<Ctrl>e", N_("Export the puzzle as a line")},
    {"<Ctrl><Shift>e", N_("Export the board as a PNG or SVG picture")},
    {"<Ctrl>c", N_("Copy the puzzle as a line")},
    {"<Ctrl>v", N_("Paste a puzzle line or a picture")},
    {"<Ctrl>i", N_("Statistics")},
    {"<Ctrl>q", N_("Quit (the game is saved)")},
    {nullptr, N_("Window")},
    {"<Ctrl>d", N_("Light or dark look")},
    {"<Ctrl>m", N_("Sounds on or off")},
    {"F11", N_("Full screen")},
    {"F10", N_("Menu")},
    {"F1 <Ctrl>question", N_("Keyboard shortcuts")},
    {"<Shift>F1", N_("Help page")},
};

std::string escaped(const char* text) {
    gchar* e = g_markup_escape_text(text, -1);
    std::string s(e);
    g_free(e);
    return s;
}

std::string builder_text() {
    std::string x = "<interface><object class=\"GtkShortcutsWindow\" id=\"shortcuts\"><property name=\"modal\">1</property>"
                    "<child><object class=\"GtkShortcutsSection\"><property name=\"visible\">1</property>"
                    "<property name=\"section-name\">game</property>";
    bool open = false;
    for (const Key& k : kKeys) {
        if (!k.accelerator) {
            if (open) x += "</object></child>";
            x += "<child><object class=\"GtkShortcutsGroup\"><property name=\"visible\">1</property><property "
                 "name=\"title\">" + escaped(_(k.title)) + "</property>";
            open = true;
            continue;
        }
        x += "<child><object class=\"GtkShortcutsShortcut\"><property name=\"visible\">1</property><property "
             "name=\"accelerator\">" + escaped(k.accelerator) + "</property><property name=\"title\">" +
             escaped(_(k.title)) + "</property></object></child>";
    }
    if (open) x += "</object></child>";
    return x + "</object></child></object></interface>";
}

}  // namespace

void show_shortcuts(GtkWindow* parent) {
    GtkBuilder* builder = gtk_builder_new_from_string(builder_text().c_str(), -1);
    GtkWidget* window = GTK_WIDGET(gtk_builder_get_object(builder, "shortcuts"));
    gtk_window_set_transient_for(GTK_WINDOW(window), parent);
    gtk_widget_show_all(window);
    g_object_unref(builder);
}

}  // namespace ui
