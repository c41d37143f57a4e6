// Chooses how a page looks: colours, line weights, faces, sizes and where the grid sits.
#include <algorithm>
#include <cmath>

#include "render_internal.h"

namespace render {
namespace {

Rgb grey(double v) { return {v, v, v}; }

Rgb hsv(double h, double s, double v) {
  h = std::fmod(h, 1.0) * 6.0;
  int i = int(h);
  double f = h - i, p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
  switch (i) {
    case 0: return {v, t, p};
    case 1: return {q, v, p};
    case 2: return {p, v, t};
    case 3: return {p, q, v};
    case 4: return {t, p, v};
    default: return {v, p, q};
  }
}

void paper_colours(Rng& rng, Look& L) {
  double base = rng.uniform(0.86, 0.99), warm = rng.uniform(0.0, 0.05);
  L.background = {base, base - warm * 0.4, base - warm};
  L.board = rng.chance(0.85) ? L.background : grey(1.0);
  double ink = rng.uniform(0.0, 0.22);
  L.given = L.thick = L.frame = grey(ink);
  L.thin = rng.chance(0.7) ? grey(ink) : grey(rng.uniform(0.3, 0.55));
  L.clutter_ink = grey(ink);
  static const Rgb pens[] = {{0.1, 0.15, 0.55}, {0.05, 0.05, 0.1}, {0.6, 0.1, 0.1}, {0.1, 0.35, 0.6}};
  L.entry = rng.pick(pens);
  L.pencil = rng.chance(0.5) ? grey(rng.uniform(0.3, 0.55)) : L.entry;
  L.highlight = L.board;
}

void app_colours(Rng& rng, Look& L) {
  double hue = rng.unit();
  if (!L.dark) {
    L.background = grey(rng.uniform(0.9, 1.0));
    L.board = rng.chance(0.7) ? grey(1.0) : L.background;
    L.thin = grey(rng.uniform(0.55, 0.85));
    L.thick = L.frame = grey(rng.uniform(0.05, 0.4));
    L.given = rng.chance(0.7) ? grey(rng.uniform(0.0, 0.25)) : hsv(hue, 0.5, 0.35);
    L.entry = hsv(hue + rng.uniform(0.3, 0.7), rng.uniform(0.5, 0.9), rng.uniform(0.55, 0.85));
    L.pencil = grey(rng.uniform(0.35, 0.6));
    L.highlight = hsv(hue, rng.uniform(0.1, 0.25), 1.0);
    L.clutter_ink = grey(rng.uniform(0.1, 0.4));
  } else {
    L.background = grey(rng.uniform(0.03, 0.14));
    L.board = rng.chance(0.6) ? grey(rng.uniform(0.1, 0.2)) : L.background;
    L.thin = grey(rng.uniform(0.3, 0.5));
    L.thick = L.frame = grey(rng.uniform(0.6, 0.9));
    L.given = grey(rng.uniform(0.82, 0.97));
    L.entry = hsv(hue, rng.uniform(0.3, 0.6), rng.uniform(0.8, 1.0));
    L.pencil = grey(rng.uniform(0.55, 0.75));
    L.highlight = hsv(hue, rng.uniform(0.3, 0.5), rng.uniform(0.25, 0.35));
    L.clutter_ink = grey(rng.uniform(0.6, 0.9));
  }
}

void region_colours(Rng& rng, const Content& c, Look& L) {
  int max_colours = rng.chance(0.5) ? 9 : 4;
  colour_regions(rng, c.regions, max_colours, L.region_colour);
  double hue0 = rng.unit(), sat = rng.uniform(0.15, 0.45);
  for (int k = 0; k < 9; ++k) {
    double hue = hue0 + k / 9.0 + rng.uniform(-0.02, 0.02);
    L.region_fill[k] = L.dark ? hsv(hue, sat + 0.15, rng.uniform(0.22, 0.35))
                              : hsv(hue, sat, rng.uniform(0.88, 1.0));
  }
}

}  // namespace

void choose_look(Rng& rng, Style style, Regions regions, Diagonals diagonals, const Content& c,
                 int width, int height, Look& L) {
  L = Look{};
  L.style = style == Style::Any ? Style::Newspaper : style;  // callers resolve Any first
  L.dark = L.style == Style::AppDark;
  bool app = L.style == Style::App || L.style == Style::AppDark;
  if (app)
    app_colours(rng, L);
  else
    paper_colours(rng, L);

  if (!c.jigsaw) {
    L.regions = Regions::Boxes;
  } else if (regions == Regions::Auto || regions == Regions::Boxes) {
    double u = rng.unit();
    L.regions = u < 0.45 ? Regions::Walls : u < 0.75 ? Regions::Colours : Regions::WallsAndColours;
  } else {
    L.regions = regions;
  }
  if (L.regions == Regions::Colours || L.regions == Regions::WallsAndColours) region_colours(rng, c, L);
  L.alt_boxes = !c.jigsaw && rng.chance(0.15);

  if (!c.diagonals) {
    L.diagonals = Diagonals::None;
  } else if (diagonals == Diagonals::Auto || diagonals == Diagonals::None) {
    double u = rng.unit();
    L.diagonals = u < 0.5 ? Diagonals::Shade : u < 0.85 ? Diagonals::Tint : Diagonals::Line;
  } else {
    L.diagonals = diagonals;
  }
  // The diagonal colour is a multiplier on the cell's own fill (a brightener on dark boards).
  if (L.diagonals == Diagonals::Shade)
    L.diag = L.dark ? grey(rng.uniform(1.5, 2.2)) : grey(rng.uniform(0.72, 0.88));
  else if (L.diagonals == Diagonals::Tint)
    L.diag = L.dark ? hsv(rng.unit(), 0.4, rng.uniform(1.6, 2.2)) : hsv(rng.unit(), rng.uniform(0.15, 0.35), 0.97);
  else
    L.diag = L.thick;

  // Where the grid sits and how big it is.
  int m = std::min(width, height);
  double frac = app ? rng.uniform(0.6, 0.85) : rng.uniform(0.45, 0.95);
  L.snap = app || (L.style == Style::Book && rng.chance(0.5));
  double cell = std::max(6.0, frac * m / 9.0);
  double gsize = cell * 9;
  L.thin_w = app ? rng.range(1, 2) : rng.uniform(0.7, std::max(1.2, cell * 0.05));
  L.thick_w = std::max(2.0, L.thin_w * rng.uniform(2.0, 4.0));
  L.thick_w = std::min(L.thick_w, std::max(2.0, cell * 0.14));
  L.frame_w = L.thick_w * rng.uniform(1.0, 1.6);
  if (L.snap) {
    cell = std::floor(cell);
    gsize = cell * 9;
    L.thin_w = std::max(1.0, std::round(L.thin_w));
    L.thick_w = std::round(L.thick_w);
    L.frame_w = std::round(L.frame_w);
  }
  double margin = L.frame_w + 4;
  double slack_x = std::max(0.0, width - gsize - 2 * margin), slack_y = std::max(0.0, height - gsize - 2 * margin);
  L.gx = margin + slack_x * (app ? rng.uniform(0.35, 0.65) : rng.unit());
  L.gy = margin + slack_y * (app ? rng.uniform(0.3, 0.7) : rng.unit());
  if (L.snap) {
    L.gx = std::floor(L.gx);
    L.gy = std::floor(L.gy);
  }
  L.gsize = gsize;

  unsigned kinds = L.style == Style::Newspaper ? (kSerif | kSans)
                   : app                       ? (rng.chance(0.85) ? kSans : kAnyPrint)
                                               : kAnyPrint;
  L.font_given = pick_font(rng, kinds);
  L.font_text = pick_font(rng, app ? kSans : kSerif | kSans);
  if (app) {
    L.font_entry = rng.chance(0.6) ? L.font_given : pick_font(rng, kSans);
    L.font_pencil = L.font_given;
  } else {
    L.font_entry = rng.chance(0.7) ? pick_font(rng, kScript) : pick_font(rng, kAnyPrint);
    L.font_pencil = rng.chance(0.5) ? L.font_entry : pick_font(rng, kSans);
  }
  L.digit_scale = rng.uniform(0.48, 0.8);
  L.entry_scale = L.digit_scale * rng.uniform(0.85, 1.1);
  L.pencil_scale = rng.uniform(0.2, 0.3);
  L.digit_jitter = app ? 0.0 : rng.uniform(0.0, 0.04);
  L.selected = app && rng.chance(0.5) ? rng.below(81) : -1;
}

}  // namespace render
