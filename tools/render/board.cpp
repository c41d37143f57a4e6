// Draws the board itself: cell fills, thin and thick lines, the frame, digits and pencil marks.
#include <algorithm>
#include <cmath>

#include "render_internal.h"

namespace render {
namespace {

void set(cairo_t* cr, const Rgb& c) { cairo_set_source_rgb(cr, c.r, c.g, c.b); }

Rgb times(const Rgb& a, const Rgb& f) {
  return {std::min(1.0, a.r * f.r), std::min(1.0, a.g * f.g), std::min(1.0, a.b * f.b)};
}

Rgb mix(const Rgb& a, const Rgb& b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

bool on_diagonal(int i) { return i / 9 == i % 9 || i / 9 + i % 9 == 8; }

double cell_of(const Look& L) { return L.gsize / 9.0; }

// Centre of grid line k (0..9) for a stroke of width w; on a screen odd widths sit on half pixels.
double line_at(const Look& L, double origin, int k, double w) {
  double p = origin + k * cell_of(L);
  if (L.snap && (int(std::lround(w)) & 1)) p += 0.5;
  return p;
}

Rgb cell_fill(const Look& L, const Content& c, int i) {
  Rgb f = L.board;
  if (L.regions == Regions::Colours || L.regions == Regions::WallsAndColours)
    f = L.region_fill[L.region_colour[c.regions[i]]];
  else if (L.alt_boxes && ((i / 27) + (i % 9) / 3) % 2 == 1)
    f = mix(L.board, L.dark ? Rgb{1, 1, 1} : Rgb{0, 0, 0}, 0.08);
  if (L.selected >= 0) {
    // An app marks the chosen cell, tints its houses and the cells holding the same digit.
    int s = L.selected;
    bool peer = s / 9 == i / 9 || s % 9 == i % 9 || c.regions[s] == c.regions[i];
    int shown = c.givens[s] ? c.givens[s] : c.entries[s];
    bool same = shown && (c.givens[i] == shown || c.entries[i] == shown);
    if (i == s) f = L.highlight;
    else if (same) f = mix(f, L.highlight, 0.7);
    else if (peer && L.style == Style::App) f = mix(f, L.highlight, 0.35);
  }
  if (c.diagonals && on_diagonal(i) && (L.diagonals == Diagonals::Shade || L.diagonals == Diagonals::Tint))
    f = times(f, L.diag);
  return f;
}

void draw_fills(cairo_t* cr, const Look& L, const Content& c) {
  double cell = cell_of(L);
  set(cr, L.board);
  cairo_rectangle(cr, L.gx, L.gy, L.gsize, L.gsize);
  cairo_fill(cr);
  for (int i = 0; i < 81; ++i) {
    Rgb f = cell_fill(L, c, i);
    if (f.r == L.board.r && f.g == L.board.g && f.b == L.board.b) continue;
    set(cr, f);
    double x = L.gx + (i % 9) * cell, y = L.gy + (i / 9) * cell;
    cairo_rectangle(cr, x, y, cell + 0.5, cell + 0.5);
    cairo_fill(cr);
  }
}

void stroke_line(cairo_t* cr, double x0, double y0, double x1, double y1, double w, const Rgb& col) {
  set(cr, col);
  cairo_set_line_width(cr, w);
  cairo_move_to(cr, x0, y0);
  cairo_line_to(cr, x1, y1);
  cairo_stroke(cr);
}

void draw_lines(cairo_t* cr, const Look& L, const Content& c) {
  double end = L.gsize;
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_SQUARE);
  for (int k = 1; k < 9; ++k) {
    double x = line_at(L, L.gx, k, L.thin_w), y = line_at(L, L.gy, k, L.thin_w);
    stroke_line(cr, x, L.gy, x, L.gy + end, L.thin_w, L.thin);
    stroke_line(cr, L.gx, y, L.gx + end, y, L.thin_w, L.thin);
  }
  if (L.regions == Regions::Boxes) {
    for (int k = 3; k < 9; k += 3) {
      double x = line_at(L, L.gx, k, L.thick_w), y = line_at(L, L.gy, k, L.thick_w);
      stroke_line(cr, x, L.gy, x, L.gy + end, L.thick_w, L.thick);
      stroke_line(cr, L.gx, y, L.gx + end, y, L.thick_w, L.thick);
    }
  } else if (L.regions == Regions::Walls || L.regions == Regions::WallsAndColours) {
    // A thick segment on every cell side that separates two regions.
    double cell = cell_of(L);
    for (int i = 0; i < 81; ++i) {
      int r = i / 9, col = i % 9;
      if (col < 8 && c.regions[i] != c.regions[i + 1]) {
        double x = line_at(L, L.gx, col + 1, L.thick_w);
        stroke_line(cr, x, L.gy + r * cell, x, L.gy + (r + 1) * cell, L.thick_w, L.thick);
      }
      if (r < 8 && c.regions[i] != c.regions[i + 9]) {
        double y = line_at(L, L.gy, r + 1, L.thick_w);
        stroke_line(cr, L.gx + col * cell, y, L.gx + (col + 1) * cell, y, L.thick_w, L.thick);
      }
    }
  }
  if (c.diagonals && L.diagonals == Diagonals::Line) {
    double w = std::max(1.0, L.thin_w);
    stroke_line(cr, L.gx, L.gy, L.gx + end, L.gy + end, w, L.diag);
    stroke_line(cr, L.gx + end, L.gy, L.gx, L.gy + end, w, L.diag);
  }
  double f0x = line_at(L, L.gx, 0, L.frame_w), f0y = line_at(L, L.gy, 0, L.frame_w);
  double f1x = line_at(L, L.gx, 9, L.frame_w), f1y = line_at(L, L.gy, 9, L.frame_w);
  set(cr, L.frame);
  cairo_set_line_width(cr, L.frame_w);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
  cairo_rectangle(cr, f0x, f0y, f1x - f0x, f1y - f0y);
  cairo_stroke(cr);
}

// Draws one digit centred on (cx, cy) by its ink box, `size` pixels high em.
void draw_digit(cairo_t* cr, int face, double size, double cx, double cy, int d, const Rgb& col) {
  char s[2] = {char('0' + d), 0};
  cairo_set_font_face(cr, font_face(face));
  cairo_set_font_size(cr, size);
  cairo_text_extents_t e;
  cairo_text_extents(cr, s, &e);
  set(cr, col);
  cairo_move_to(cr, cx - (e.x_bearing + e.width / 2), cy - (e.y_bearing + e.height / 2));
  cairo_show_text(cr, s);
}

}  // namespace

void grid_corners(const Look& L, double x[4], double y[4]) {
  // Drawing coordinates put pixel i between i and i + 1, so its centre is at i + 0.5.
  double x0 = line_at(L, L.gx, 0, L.frame_w) - 0.5, y0 = line_at(L, L.gy, 0, L.frame_w) - 0.5;
  double x1 = line_at(L, L.gx, 9, L.frame_w) - 0.5, y1 = line_at(L, L.gy, 9, L.frame_w) - 0.5;
  x[0] = x0, y[0] = y0, x[1] = x1, y[1] = y0, x[2] = x1, y[2] = y1, x[3] = x0, y[3] = y1;
}

void draw_board(cairo_t* cr, const Look& L, const Content& c) {
  draw_fills(cr, L, c);
  draw_lines(cr, L, c);
  double cell = cell_of(L);
  // Keep the per-picture wobble reproducible without a generator: derive it from the cell and digit.
  auto wobble = [&](int i, int salt) {
    unsigned h = unsigned(i * 2654435761u) ^ unsigned(salt * 40503u) ^ unsigned(L.gx * 977 + L.gy * 131);
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return (double(h & 0xFFFF) / 65535.0 - 0.5) * 2.0;
  };
  for (int i = 0; i < 81; ++i) {
    double cx = L.gx + (i % 9 + 0.5) * cell, cy = L.gy + (i / 9 + 0.5) * cell;
    if (c.givens[i]) {
      double j = L.digit_jitter * cell;
      draw_digit(cr, L.font_given, cell * L.digit_scale * 1.3, cx + wobble(i, 1) * j, cy + wobble(i, 2) * j,
                 c.givens[i], L.given);
    } else if (c.entries[i]) {
      bool hand = L.style == Style::Newspaper || L.style == Style::Book;
      double j = hand ? 0.06 * cell : 0.0;
      double size = cell * L.entry_scale * 1.3 * (hand ? 1.0 + 0.1 * wobble(i, 3) : 1.0);
      cairo_save(cr);
      cairo_translate(cr, cx + wobble(i, 4) * j, cy + wobble(i, 5) * j);
      if (hand) cairo_rotate(cr, wobble(i, 6) * 0.12);
      // Apps show a wrong entry in red; on paper a wrong entry looks like any other.
      bool flagged = !hand && c.entries[i] != c.solution[i];
      Rgb red = L.dark ? Rgb{1.0, 0.45, 0.45} : Rgb{0.85, 0.12, 0.12};
      draw_digit(cr, L.font_entry, size, 0, 0, c.entries[i], flagged ? red : L.entry);
      cairo_restore(cr);
    } else if (c.pencil[i]) {
      for (int d = 1; d <= 9; ++d) {
        if (!(c.pencil[i] >> (d - 1) & 1)) continue;
        double sx = L.gx + (i % 9) * cell + ((d - 1) % 3 + 0.5) * cell / 3.0;
        double sy = L.gy + (i / 9) * cell + ((d - 1) / 3 + 0.5) * cell / 3.0;
        draw_digit(cr, L.font_pencil, cell * L.pencil_scale * 1.3, sx, sy, d, L.pencil);
      }
    }
  }
}

}  // namespace render
