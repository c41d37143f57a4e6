// The printed faces the renderer draws with, found through fontconfig once per process.
#include <cairo-ft.h>
#include <fontconfig/fontconfig.h>

#include <mutex>
#include <string>
#include <strings.h>
#include <vector>

#include "render_internal.h"

namespace render {
namespace {

struct Wanted {
  const char* family;
  int weight;  // fontconfig weight
  bool italic;
  unsigned kind;
};

// Faces from the Debian font packages the build installs; a face whose family is missing on a
// machine is left out rather than replaced by a look-alike.
constexpr Wanted kWanted[] = {
    {"DejaVu Serif", FC_WEIGHT_REGULAR, false, kSerif},
    {"DejaVu Serif", FC_WEIGHT_BOLD, false, kSerif},
    {"DejaVu Serif Condensed", FC_WEIGHT_REGULAR, false, kSerif},
    {"Liberation Serif", FC_WEIGHT_REGULAR, false, kSerif},
    {"Liberation Serif", FC_WEIGHT_BOLD, false, kSerif},
    {"Liberation Serif", FC_WEIGHT_REGULAR, true, kSerif},
    {"FreeSerif", FC_WEIGHT_REGULAR, false, kSerif},
    {"FreeSerif", FC_WEIGHT_BOLD, false, kSerif},
    {"Nimbus Roman", FC_WEIGHT_REGULAR, false, kSerif},
    {"Nimbus Roman", FC_WEIGHT_BOLD, false, kSerif},
    {"C059", FC_WEIGHT_REGULAR, false, kSerif},
    {"C059", FC_WEIGHT_BOLD, false, kSerif},
    {"P052", FC_WEIGHT_REGULAR, false, kSerif},
    {"P052", FC_WEIGHT_BOLD, false, kSerif},
    {"URW Bookman", FC_WEIGHT_LIGHT, false, kSerif},
    {"URW Bookman", FC_WEIGHT_DEMIBOLD, false, kSerif},
    {"Noto Serif", FC_WEIGHT_REGULAR, false, kSerif},
    {"Noto Serif", FC_WEIGHT_BOLD, false, kSerif},
    {"DejaVu Sans", FC_WEIGHT_REGULAR, false, kSans},
    {"DejaVu Sans", FC_WEIGHT_BOLD, false, kSans},
    {"DejaVu Sans", FC_WEIGHT_EXTRALIGHT, false, kSans},
    {"DejaVu Sans Condensed", FC_WEIGHT_BOLD, false, kSans},
    {"Liberation Sans", FC_WEIGHT_REGULAR, false, kSans},
    {"Liberation Sans", FC_WEIGHT_BOLD, false, kSans},
    {"FreeSans", FC_WEIGHT_REGULAR, false, kSans},
    {"FreeSans", FC_WEIGHT_BOLD, false, kSans},
    {"Nimbus Sans", FC_WEIGHT_REGULAR, false, kSans},
    {"Nimbus Sans", FC_WEIGHT_BOLD, false, kSans},
    {"Nimbus Sans Narrow", FC_WEIGHT_BOLD, false, kSans},
    {"URW Gothic", FC_WEIGHT_BOOK, false, kSans},
    {"URW Gothic", FC_WEIGHT_DEMIBOLD, false, kSans},
    {"Noto Sans", FC_WEIGHT_REGULAR, false, kSans},
    {"Noto Sans", FC_WEIGHT_BOLD, false, kSans},
    {"Roboto", FC_WEIGHT_LIGHT, false, kSans},
    {"Roboto", FC_WEIGHT_REGULAR, false, kSans},
    {"Roboto", FC_WEIGHT_MEDIUM, false, kSans},
    {"Roboto", FC_WEIGHT_BOLD, false, kSans},
    {"Roboto", FC_WEIGHT_BLACK, false, kSans},
    {"Roboto Condensed", FC_WEIGHT_REGULAR, false, kSans},
    {"Open Sans", FC_WEIGHT_LIGHT, false, kSans},
    {"Open Sans", FC_WEIGHT_REGULAR, false, kSans},
    {"Open Sans", FC_WEIGHT_SEMIBOLD, false, kSans},
    {"Open Sans", FC_WEIGHT_BOLD, false, kSans},
    {"Open Sans", FC_WEIGHT_EXTRABOLD, false, kSans},
    {"Lato", FC_WEIGHT_LIGHT, false, kSans},
    {"Lato", FC_WEIGHT_REGULAR, false, kSans},
    {"Lato", FC_WEIGHT_BOLD, false, kSans},
    {"Lato", FC_WEIGHT_BLACK, false, kSans},
    {"Lato", FC_WEIGHT_REGULAR, true, kSans},
    {"Cantarell", FC_WEIGHT_LIGHT, false, kSans},
    {"Cantarell", FC_WEIGHT_REGULAR, false, kSans},
    {"Cantarell", FC_WEIGHT_BOLD, false, kSans},
    {"Cantarell", FC_WEIGHT_EXTRABOLD, false, kSans},
    {"DejaVu Sans Mono", FC_WEIGHT_REGULAR, false, kMono},
    {"DejaVu Sans Mono", FC_WEIGHT_BOLD, false, kMono},
    {"Liberation Mono", FC_WEIGHT_REGULAR, false, kMono},
    {"Liberation Mono", FC_WEIGHT_BOLD, false, kMono},
    {"FreeMono", FC_WEIGHT_BOLD, false, kMono},
    {"Nimbus Mono PS", FC_WEIGHT_BOLD, false, kMono},
    {"Z003", FC_WEIGHT_REGULAR, true, kScript},
    {"URW Gothic", FC_WEIGHT_BOOK, true, kScript},
    {"FreeSerif", FC_WEIGHT_REGULAR, true, kScript},
};

struct Face {
  cairo_font_face_t* face;
  std::string label;
  unsigned kind;
  bool heavy;
};

std::vector<Face>* g_faces = nullptr;
std::once_flag g_once;

void load_faces() {
  static std::vector<Face> faces;
  g_faces = &faces;
  if (!FcInit()) return;
  std::vector<std::string> seen;
  for (const Wanted& w : kWanted) {
    FcPattern* pat = FcPatternCreate();
    FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(w.family));
    FcPatternAddInteger(pat, FC_WEIGHT, w.weight);
    FcPatternAddInteger(pat, FC_SLANT, w.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcConfigSubstitute(nullptr, pat, FcMatchPattern);
    FcDefaultSubstitute(pat);
    FcResult res;
    FcPattern* match = FcFontMatch(nullptr, pat, &res);
    FcPatternDestroy(pat);
    if (!match) continue;
    FcChar8* fam = nullptr;
    FcChar8* style = nullptr;
    FcChar8* file = nullptr;
    int index = 0;
    FcBool embolden = FcFalse;
    FcPatternGetString(match, FC_FAMILY, 0, &fam);
    FcPatternGetString(match, FC_STYLE, 0, &style);
    FcPatternGetString(match, FC_FILE, 0, &file);
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    FcPatternGetBool(match, FC_EMBOLDEN, 0, &embolden);
    // Families may list several names ("DejaVu Sans, DejaVu Sans Condensed"): accept any of them.
    bool family_ok = false;
    for (int k = 0; fam; ++k) {
      FcChar8* name = nullptr;
      if (FcPatternGetString(match, FC_FAMILY, k, &name) != FcResultMatch) break;
      if (strcasecmp(reinterpret_cast<const char*>(name), w.family) == 0) family_ok = true;
    }
    std::string key = std::string(file ? reinterpret_cast<const char*>(file) : "") + "#" +
                      std::to_string(index) + (embolden ? "+b" : "");
    bool dup = false;
    for (const auto& s : seen) dup = dup || s == key;
    if (!family_ok || dup || !file) {
      FcPatternDestroy(match);
      continue;
    }
    seen.push_back(key);
    Face f;
    f.label = std::string(w.family) + " " + (style ? reinterpret_cast<const char*>(style) : "");
    f.face = cairo_ft_font_face_create_for_pattern(match);
    FcPatternDestroy(match);  // cairo keeps its own reference; `style` and `file` die here
    f.kind = w.kind;
    f.heavy = w.weight >= FC_WEIGHT_DEMIBOLD;
    faces.push_back(f);
  }
  if (faces.empty()) {  // no listed family at all: the toy face still draws digits
    Face f{cairo_toy_font_face_create("sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD),
           "sans-serif Bold", kSans, true};
    faces.push_back(f);
  }
}

const std::vector<Face>& faces() {
  std::call_once(g_once, load_faces);
  return *g_faces;
}

}  // namespace

int font_count() { return int(faces().size()); }
cairo_font_face_t* font_face(int index) { return faces()[index].face; }
const char* font_label(int index) { return faces()[index].label.c_str(); }
unsigned font_kind(int index) { return faces()[index].kind; }
bool font_heavy(int index) { return faces()[index].heavy; }

int pick_font(Rng& rng, unsigned kinds) {
  const auto& f = faces();
  int n = 0;
  for (const auto& x : f) n += (x.kind & kinds) != 0;
  if (n == 0) return rng.below(int(f.size()));
  int k = rng.below(n);
  for (int i = 0; i < int(f.size()); ++i)
    if ((f[i].kind & kinds) && k-- == 0) return i;
  return 0;
}

}  // namespace render
