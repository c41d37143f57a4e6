// Shared pieces of the renderer: its seeded generator, the puzzle content, the page look, the stages.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <vector>

#include "../mapgen/rng.h"
#include "render.h"

namespace render {

// The map generator's xoshiro256** stream with the draws pictures need: the same numbers on every
// platform and library, and apart from the engine's per-thread pool so rendering never disturbs a game.
struct Rng {
  mapgen::Rng core;

  explicit Rng(std::uint64_t seed) : core(seed) {}
  std::uint64_t next() { return core.next(); }
  // Uniform in [0, 1).
  double unit() { return double(next() >> 11) * (1.0 / 9007199254740992.0); }
  double uniform(double lo, double hi) { return lo + (hi - lo) * unit(); }
  // Uniform in 0..n-1 (n >= 1).
  int below(int n) { return int(core.below(std::uint32_t(n))); }
  int range(int lo, int hi) { return lo + below(hi - lo + 1); }
  bool chance(double p) { return unit() < p; }
  template <class T, std::size_t N>
  const T& pick(const T (&items)[N]) { return items[below(int(N))]; }
};

// Independent streams per stage, so changing the capture keeps the same board and page.
enum Stream : std::uint64_t { kContent = 0x11, kLook = 0x22, kClutter = 0x33, kCapture = 0x44 };
inline Rng stream(std::uint64_t seed, Stream s) { return Rng(seed * 0x2545F4914F6CDD1Dull ^ s); }

// ---- puzzle content ----

struct Content {
  int solution[81];
  int givens[81];
  int entries[81];
  int pencil[81];   // bit d-1 per noted digit
  int regions[81];  // 0..8, numbered by first cell
  bool jigsaw;
  bool diagonals;
};

// A shuffled complete grid, a clue subset, optionally a jigsaw map, entries and pencil marks.
void make_content(Rng& rng, bool jigsaw, bool diagonals, bool marks, bool full_notes, Content& c);
// A random connected partition into nine regions of nine cells, numbered by first cell.
void make_jigsaw(Rng& rng, int regions[81]);
// Colour index per region such that regions sharing a side differ; returns the colours used.
int colour_regions(Rng& rng, const int regions[81], int max_colours, int colour_of[9]);

// ---- fonts ----

enum FontKind : unsigned { kSerif = 1, kSans = 2, kMono = 4, kScript = 8 };
inline constexpr unsigned kAnyPrint = kSerif | kSans | kMono;

int font_count();  // faces found on this machine (at least one when any font is installed)
cairo_font_face_t* font_face(int index);
const char* font_label(int index);
unsigned font_kind(int index);
bool font_heavy(int index);  // bold or heavier
// A face of one of the kinds in `kinds` (any face when none matches).
int pick_font(Rng& rng, unsigned kinds);

// ---- page ----

struct Rgb {
  double r, g, b;
};

struct Look {
  Style style;
  bool dark;
  Regions regions;
  Diagonals diagonals;
  Rgb background;  // around the board
  Rgb board;       // inside the grid
  Rgb thin, thick, frame;
  Rgb given, entry, pencil, clutter_ink;
  Rgb diag;        // shade or tint of the diagonal cells
  Rgb region_fill[9];
  Rgb highlight;
  double thin_w, thick_w, frame_w;
  double gx, gy, gsize;  // outer frame centre line: left, top, side (page units = pixels)
  bool snap;             // lines on whole pixels, as a screen draws them
  bool alt_boxes;        // alternate 3x3 boxes lightly shaded (box layout only)
  int region_colour[9];
  int font_given, font_entry, font_pencil, font_text;
  double digit_scale, entry_scale, pencil_scale;
  double digit_jitter;  // printing wobble, fraction of a cell
  int selected;         // highlighted cell of an app, -1 none
};

void choose_look(Rng& rng, Style style, Regions regions, Diagonals diagonals, const Content& c,
                 int width, int height, Look& look);
void draw_board(cairo_t* cr, const Look& look, const Content& c);
// Centres of the outer frame lines at the four corners (TL, TR, BR, BL), in pixel-centre units.
void grid_corners(const Look& look, double x[4], double y[4]);
void draw_clutter(cairo_t* cr, Rng& rng, const Look& look, int width, int height);

// ---- capture ----

struct CaptureParams {
  double rotation_deg;
  double scale;
  double shift_x, shift_y;       // fraction of the picture side
  double perspective;            // corner jitter, fraction of the picture side
  double light_base, light_slope, light_angle, vignette;
  double shadow;                 // darkening of the shadowed part, 0 none
  double shadow_x, shadow_y, shadow_angle, shadow_soft;
  double warm;                   // white balance shift, blue to amber
  double tint;                   // and green to magenta
  double blur_sigma;
  double noise_sigma;
  int jpeg_quality;              // 0: no JPEG
  Rgb table;                     // what lies around the page
};

void choose_capture(Rng& rng, Photo photo, CaptureParams& p);
// Photographs the page (RGB, w*h*3) into out; maps the four grid corners (page pixels) into the
// picture. A pose that would push a corner out of the picture is softened, and `p` says what was
// used. Returns false when the JPEG step fails.
bool capture(Rng& rng, CaptureParams& p, const std::vector<unsigned char>& page, int w, int h,
             const double gx[4], const double gy[4], imageio::Image& out, double px[4], double py[4]);

// Homography from four source points to four destination points (row-major, h[8] = 1).
bool homography(const double sx[4], const double sy[4], const double dx[4], const double dy[4],
                double h[9]);

}  // namespace render
