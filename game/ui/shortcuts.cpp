// The keyboard shortcuts window, built from one table of keys.
#include "shortcuts.h"

#include <string>

namespace ui {

namespace {

// A group heading (accelerator null) or a key and what it does, in GTK's accelerator syntax.
struct Key {
    const char* accelerator;
    const char* title;
};

const Key kKeys[] = {
    {nullptr, "Board"},
    {"Left Right Up Down", "Move the selection"},
    {"h j k l", "Move the selection (left, down, up, right)"},
    {"1...9", "Enter a digit (a pencil mark in pencil mode)"},
    {"<Shift>1...9", "Toggle a pencil mark"},
    {"0 BackSpace Delete", "Clear the cell"},
    {"p", "Pencil mode on or off"},
    {"c", "Fill in all candidates (kept up to date)"},
    {"<Shift>c", "Hide the candidates"},
    {"e", "Check digits against the solution, on or off"},
    {nullptr, "Game"},
    {"<Ctrl>n", "New game"},
    {"<Ctrl><Shift>n", "Enter a puzzle of your own"},
    {"<Ctrl>h", "Hint: the technique, then where, then apply it"},
    {"<Ctrl>z", "Undo"},
    {"<Ctrl><Shift>z <Ctrl>y", "Redo"},
    {"<Ctrl>p", "Pause or go on"},
    {"<Ctrl>r", "Start this puzzle again"},
    {"<Ctrl>o", "Open a puzzle file or a picture"},
    {"<Ctrl><Shift>p", "Print puzzles (or save them as PDF)"},
    {"<Ctrl>e", "Export the puzzle as a line"},
    {"<Ctrl><Shift>e", "Export the board as a PNG or SVG picture"},
    {"<Ctrl>c", "Copy the puzzle as a line"},
    {"<Ctrl>v", "Paste a puzzle line or a picture"},
    {"<Ctrl>i", "Statistics"},
    {"<Ctrl>q", "Quit (the game is saved)"},
    {nullptr, "Window"},
    {"<Ctrl>d", "Light or dark look"},
    {"<Ctrl>m", "Sounds on or off"},
    {"F11", "Full screen"},
    {"F10", "Menu"},
    {"F1 <Ctrl>question", "Keyboard shortcuts"},
    {"<Shift>F1", "Help page"},
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
                 "name=\"title\">" + escaped(k.title) + "</property>";
            open = true;
            continue;
        }
        x += "<child><object class=\"GtkShortcutsShortcut\"><property name=\"visible\">1</property><property "
             "name=\"accelerator\">" + escaped(k.accelerator) + "</property><property name=\"title\">" +
             escaped(k.title) + "</property></object></child>";
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
