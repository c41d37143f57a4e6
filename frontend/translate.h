// The game's text domain: _() looks a sentence up in the player's language, N_() only marks one
// for the template (tables whose entries are looked up where they are shown).
#pragma once

#include <libintl.h>

#define QUADRILLO_TEXT_DOMAIN "quadrillo"
#define _(text) dgettext(QUADRILLO_TEXT_DOMAIN, text)
#define N_(text) text

namespace frontend {

// Points the text domain at the translations beside the executable (installed, or built into the
// build tree's share/locale), in UTF-8. A program that never calls it prints its own English.
void bind_translations();

}  // namespace frontend
