// What surrounds the board on a page: newspaper columns, book headers, an app's bars and keypad.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "render_internal.h"

namespace render {
namespace {

void set(cairo_t* cr, const Rgb& c) { cairo_set_source_rgb(cr, c.r, c.g, c.b); }

const char* const kSyllables[] = {"ta", "ren", "mo", "li", "ste", "ga", "ro", "ne", "vi", "al", "dor", "ph",
                                  "qu", "in", "es", "ka", "ul", "th", "or", "an", "ber", "sa", "to", "de"};

std::string word(Rng& rng) {
  std::string w;
  int n = rng.range(1, 4);
  for (int i = 0; i < n; ++i) w += rng.pick(kSyllables);
  if (rng.chance(0.12)) w[0] = char(w[0] - 'a' + 'A');
  if (rng.chance(0.08)) w += rng.chance(0.5) ? "," : ".";
  if (rng.chance(0.04)) w = std::to_string(rng.range(1, 2030));
  return w;
}

void text(cairo_t* cr, int face, double size, double x, double y, const std::string& s, const Rgb& col) {
  cairo_set_font_face(cr, font_face(face));
  cairo_set_font_size(cr, size);
  set(cr, col);
  cairo_move_to(cr, x, y);
  cairo_show_text(cr, s.c_str());
}

// Lines of made-up words filling a box, as columns of print do.
void text_block(cairo_t* cr, Rng& rng, int face, double size, double x, double y, double w, double h,
                const Rgb& col) {
  cairo_set_font_face(cr, font_face(face));
  cairo_set_font_size(cr, size);
  set(cr, col);
  for (double base = y + size; base <= y + h; base += size * 1.3) {
    double cx = x;
    while (true) {
      std::string s = word(rng);
      cairo_text_extents_t e;
      cairo_text_extents(cr, s.c_str(), &e);
      if (cx + e.x_advance > x + w) break;
      cairo_move_to(cr, cx, base);
      cairo_show_text(cr, s.c_str());
      cx += e.x_advance + size * 0.3;
    }
  }
}

struct Box {
  double x, y, w, h;
};

// The largest free band beside the grid, keeping `gap` clear of the frame.
Box largest_free(const Look& L, int W, int H, double gap) {
  Box b[4] = {{0, 0, double(W), L.gy - gap},
              {0, L.gy + L.gsize + gap, double(W), H - (L.gy + L.gsize + gap)},
              {0, 0, L.gx - gap, double(H)},
              {L.gx + L.gsize + gap, 0, W - (L.gx + L.gsize + gap), double(H)}};
  int best = 0;
  for (int i = 1; i < 4; ++i)
    if (std::min(b[i].w, b[i].h) > std::min(b[best].w, b[best].h)) best = i;
  return b[best];
}

// A lattice drawn on a cleared square: a crossword (n x n with black squares) or a Sudoku (9 x 9
// with box lines and digits, `fill` of its cells holding one).
void lattice(cairo_t* cr, Rng& rng, const Look& L, double x, double y, double side, bool crossword, double fill) {
  set(cr, L.background);
  cairo_rectangle(cr, x - 4, y - 4, side + 8, side + 8);
  cairo_fill(cr);
  int n = crossword ? rng.range(7, 13) : 9;
  double cell = side / n;
  set(cr, L.clutter_ink);
  if (crossword)
    for (int i = 0; i < n * n; ++i)
      if (rng.chance(0.18)) {
        cairo_rectangle(cr, x + (i % n) * cell, y + (i / n) * cell, cell, cell);
        cairo_fill(cr);
      }
  for (int pass = 0; pass < (crossword ? 1 : 2); ++pass) {
    cairo_set_line_width(cr, pass == 0 ? std::max(0.6, cell * 0.04) : std::max(1.2, cell * 0.09));
    for (int k = 0; k <= n; k += pass == 0 ? 1 : 3) {
      cairo_move_to(cr, x + k * cell, y);
      cairo_line_to(cr, x + k * cell, y + side);
      cairo_move_to(cr, x, y + k * cell);
      cairo_line_to(cr, x + side, y + k * cell);
    }
    cairo_stroke(cr);
  }
  if (!crossword && cell >= 5)
    for (int i = 0; i < 81; ++i) {
      if (!rng.chance(fill)) continue;
      char s[2] = {char('1' + rng.below(9)), 0};
      text(cr, L.font_text, cell * 0.7, x + (i % 9 + 0.28) * cell, y + (i / 9 + 0.78) * cell, s, L.clutter_ink);
    }
}

// A small lattice somewhere else on the page: a crossword corner or yesterday's solution.
void other_grid(cairo_t* cr, Rng& rng, const Look& L, Box zone) {
  double side = std::min(zone.w, zone.h) * rng.uniform(0.6, 0.9);
  side = std::min(side, L.gsize * 0.6);
  if (side < 40) return;
  double x = zone.x + rng.unit() * (zone.w - side), y = zone.y + rng.unit() * (zone.h - side);
  lattice(cr, rng, L, x, y, side, rng.chance(0.5), 1.0);
}

// The next puzzle on the page, as big as ours, cut off by the picture's edge as a close photo cuts
// it; never more than half of it shows, so the picture still holds one whole grid.
void neighbour_grid(cairo_t* cr, Rng& rng, const Look& L, int W, int H) {
  double gap = rng.uniform(0.5, 2.0) * L.gsize / 9 + L.frame_w;
  int side = rng.below(4);
  double x = L.gx, y = L.gy, s = L.gsize;
  if (side == 0) y -= s + gap;
  if (side == 1) y += s + gap;
  if (side == 2) x -= s + gap;
  if (side == 3) x += s + gap;
  double vx = std::max(0.0, std::min(x + s, double(W)) - std::max(x, 0.0));
  double vy = std::max(0.0, std::min(y + s, double(H)) - std::max(y, 0.0));
  if (vx * vy > 0.5 * s * s || vx * vy <= 0) return;
  lattice(cr, rng, L, x, y, s, false, 0.3);
}

void newspaper(cairo_t* cr, Rng& rng, const Look& L, int W, int H) {
  double size = rng.uniform(7, 12);
  double col_w = rng.uniform(110, 220), gap = rng.uniform(8, 16);
  for (double x = rng.uniform(-col_w, 0); x < W; x += col_w + gap) {
    text_block(cr, rng, L.font_text, size, x, rng.uniform(-size, size), col_w, H, L.clutter_ink);
    if (rng.chance(0.5)) {
      set(cr, L.clutter_ink);
      cairo_set_line_width(cr, 0.8);
      cairo_move_to(cr, x + col_w + gap / 2, 0);
      cairo_line_to(cr, x + col_w + gap / 2, H);
      cairo_stroke(cr);
    }
  }
  // A clear panel around the puzzle with its heading, as the puzzle page prints it.
  double pad = rng.uniform(0.3, 1.2) * L.gsize / 9;
  double head = rng.uniform(14, 30);
  Box p{L.gx - pad, L.gy - pad - head * 1.6, L.gsize + 2 * pad, L.gsize + 2 * pad + head * 1.6};
  set(cr, L.background);
  cairo_rectangle(cr, p.x, p.y, p.w, p.h);
  cairo_fill(cr);
  static const char* heads[] = {"SUDOKU", "Sudoku", "NUMBER PUZZLE", "Su Doku", "Daily Sudoku"};
  int hface = pick_font(rng, kSerif | kSans);
  text(cr, hface, head, p.x + pad * 0.2, L.gy - pad * 0.6 - head * 0.3, rng.pick(heads), L.clutter_ink);
  char num[32];
  std::snprintf(num, sizeof num, "No. %d", rng.range(100, 9999));
  text(cr, L.font_text, head * 0.5, p.x + p.w - head * 3, L.gy - pad * 0.6 - head * 0.3, num, L.clutter_ink);
  if (rng.chance(0.5)) {
    set(cr, L.clutter_ink);
    cairo_set_line_width(cr, rng.uniform(0.6, 2.0));
    cairo_rectangle(cr, p.x, p.y, p.w, p.h);
    cairo_stroke(cr);
  }
  if (rng.chance(0.35)) other_grid(cr, rng, L, largest_free(L, W, H, pad + 6));
  if (rng.chance(0.4)) neighbour_grid(cr, rng, L, W, H);
}

void book(cairo_t* cr, Rng& rng, const Look& L, int W, int H) {
  double size = rng.uniform(8, 14);
  char s[64];
  std::snprintf(s, sizeof s, "Puzzle %d", rng.range(1, 300));
  double top = L.gy - L.frame_w - size * 0.8;
  text(cr, L.font_text, size * 1.4, L.gx, top, s, L.clutter_ink);
  static const char* levels[] = {"Easy", "Moderate", "Tough", "Fiendish", "Diabolical", "**", "***"};
  text(cr, L.font_text, size, L.gx + L.gsize - size * 5, top, rng.pick(levels), L.clutter_ink);
  if (rng.chance(0.7)) {
    text(cr, L.font_text, size * 0.9, 20, size * 1.5, word(rng) + " " + word(rng) + " " + word(rng), L.clutter_ink);
    set(cr, L.clutter_ink);
    cairo_set_line_width(cr, 0.7);
    cairo_move_to(cr, 10, size * 2.2);
    cairo_line_to(cr, W - 10, size * 2.2);
    cairo_stroke(cr);
  }
  std::snprintf(s, sizeof s, "%d", rng.range(2, 400));
  text(cr, L.font_text, size, W * rng.uniform(0.1, 0.9), H - size * 0.8, s, L.clutter_ink);
  if (rng.chance(0.4)) {
    double y = L.gy + L.gsize + L.frame_w + size * 1.5;
    text_block(cr, rng, L.font_text, size * 0.8, L.gx, y, L.gsize, size * 4, L.clutter_ink);
  }
  if (rng.chance(0.2)) other_grid(cr, rng, L, largest_free(L, W, H, size * 2));
}

void app(cairo_t* cr, Rng& rng, const Look& L, int W, int H) {
  double bar = std::max(10.0, H * rng.uniform(0.03, 0.05));
  if (rng.chance(0.6)) {
    Rgb tint = L.dark ? Rgb{0.02, 0.02, 0.02} : Rgb{L.highlight.r * 0.9, L.highlight.g * 0.9, L.highlight.b * 0.9};
    set(cr, tint);
    cairo_rectangle(cr, 0, 0, W, bar);
    cairo_fill(cr);
  }
  char s[64];
  std::snprintf(s, sizeof s, "%d:%02d", rng.range(1, 12), rng.range(0, 59));
  text(cr, L.font_text, bar * 0.6, bar * 0.5, bar * 0.75, s, L.clutter_ink);
  set(cr, L.clutter_ink);
  cairo_set_line_width(cr, 1);
  cairo_rectangle(cr, W - bar * 2, bar * 0.3, bar * 1.2, bar * 0.45);
  cairo_stroke(cr);
  double info = std::max(8.0, L.gsize / 9 * rng.uniform(0.25, 0.4));
  double iy = L.gy - L.frame_w - info * 0.8;
  static const char* levels[] = {"Easy", "Medium", "Hard", "Expert", "Master"};
  text(cr, L.font_text, info, L.gx, iy, rng.pick(levels), L.clutter_ink);
  std::snprintf(s, sizeof s, "Mistakes: %d/3", rng.range(0, 2));
  text(cr, L.font_text, info, L.gx + L.gsize * 0.38, iy, s, L.clutter_ink);
  std::snprintf(s, sizeof s, "%02d:%02d", rng.range(0, 59), rng.range(0, 59));
  text(cr, L.font_text, info, L.gx + L.gsize - info * 3, iy, s, L.clutter_ink);

  // The digit keypad: a row below the board on a tall screen, a 3x3 pad beside it on a wide one.
  double below = H - (L.gy + L.gsize + L.frame_w);
  double right = W - (L.gx + L.gsize + L.frame_w);
  double cell = L.gsize / 9;
  Rgb key = rng.chance(0.5) ? L.given : L.entry;
  bool buttons = rng.chance(0.5);
  auto keycap = [&](double cx, double cy, double r, int d) {
    if (buttons) {
      set(cr, L.highlight);
      cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
      cairo_fill(cr);
    }
    char t[2] = {char('0' + d), 0};
    cairo_set_font_face(cr, font_face(L.font_given));
    cairo_set_font_size(cr, r * 1.3);
    cairo_text_extents_t e;
    cairo_text_extents(cr, t, &e);
    set(cr, key);
    cairo_move_to(cr, cx - e.x_bearing - e.width / 2, cy - e.y_bearing - e.height / 2);
    cairo_show_text(cr, t);
  };
  if (right > L.gsize * 0.4) {
    double step = std::min(right / 3.4, L.gsize / 3.2);
    double x0 = L.gx + L.gsize + L.frame_w + (right - 3 * step) / 2, y0 = L.gy + (L.gsize - 3 * step) / 2;
    for (int d = 1; d <= 9; ++d) keycap(x0 + ((d - 1) % 3 + 0.5) * step, y0 + ((d - 1) / 3 + 0.5) * step, step * 0.38, d);
  } else if (below > cell * 1.2) {
    double step = L.gsize / 9, cy = L.gy + L.gsize + L.frame_w + std::min(below * 0.6, cell * 2.2);
    for (int d = 1; d <= 9; ++d) keycap(L.gx + (d - 0.5) * step, cy, step * 0.4, d);
    static const char* tools[] = {"Undo", "Erase", "Notes", "Hint"};
    double ty = L.gy + L.gsize + L.frame_w + std::min(below * 0.3, cell * 1.0);
    for (int k = 0; k < 4; ++k)
      text(cr, L.font_text, info * 0.9, L.gx + (k + 0.3) * L.gsize / 4, ty, tools[k], L.clutter_ink);
  }
}

}  // namespace

void draw_clutter(cairo_t* cr, Rng& rng, const Look& L, int W, int H) {
  cairo_save(cr);
  // Nothing around the board may touch it: clip to the page minus the board and a small margin.
  double m = L.frame_w + 2;
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
  cairo_rectangle(cr, 0, 0, W, H);
  cairo_rectangle(cr, L.gx - m, L.gy - m, L.gsize + 2 * m, L.gsize + 2 * m);
  cairo_clip(cr);
  switch (L.style) {
    case Style::Newspaper: newspaper(cr, rng, L, W, H); break;
    case Style::Book: book(cr, rng, L, W, H); break;
    default: app(cr, rng, L, W, H); break;
  }
  cairo_restore(cr);
}

}  // namespace render
