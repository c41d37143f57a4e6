// Puts the stages together: content, look, page drawing, capture; names and the truth as JSON.
#include <cairo.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "render_internal.h"

namespace render {
namespace {

struct Name {
  const char* text;
  int value;
};

constexpr Name kStyles[] = {{"any", int(Style::Any)},   {"newspaper", int(Style::Newspaper)},
                            {"book", int(Style::Book)}, {"app", int(Style::App)},
                            {"app-dark", int(Style::AppDark)}};
constexpr Name kPhotos[] = {{"auto", int(Photo::Auto)}, {"clean", int(Photo::Clean)},
                            {"mild", int(Photo::Mild)}, {"rough", int(Photo::Rough)}};
constexpr Name kRegions[] = {{"auto", int(Regions::Auto)},       {"boxes", int(Regions::Boxes)},
                             {"walls", int(Regions::Walls)},     {"colours", int(Regions::Colours)},
                             {"walls+colours", int(Regions::WallsAndColours)}};
constexpr Name kDiagonals[] = {{"auto", int(Diagonals::Auto)},   {"none", int(Diagonals::None)},
                               {"shade", int(Diagonals::Shade)}, {"tint", int(Diagonals::Tint)},
                               {"line", int(Diagonals::Line)}};
constexpr Name kMarks[] = {{"auto", int(Marks::Auto)}, {"none", int(Marks::None)}, {"some", int(Marks::Some)}};

template <std::size_t N>
const char* name_of(const Name (&table)[N], int v) {
  for (const Name& n : table)
    if (n.value == v) return n.text;
  return "?";
}

template <class E, std::size_t N>
bool parse(const Name (&table)[N], const std::string& s, E& out) {
  for (const Name& n : table)
    if (s == n.text) {
      out = E(n.value);
      return true;
    }
  return false;
}

bool fail(std::string* err, const char* why) {
  if (err) *err = why;
  return false;
}

Photo resolve_photo(Rng& rng, Photo p, Style s) {
  if (p != Photo::Auto) return p;
  double u = rng.unit();
  if (s == Style::App || s == Style::AppDark) return u < 0.55 ? Photo::Clean : u < 0.85 ? Photo::Mild : Photo::Rough;
  return u < 0.15 ? Photo::Clean : u < 0.65 ? Photo::Mild : Photo::Rough;
}

// Draws the page into an RGB buffer; false when Cairo cannot make the surface.
bool draw_page(std::uint64_t seed, const Look& L, const Content& c, int w, int h,
               std::vector<unsigned char>& rgb) {
  cairo_surface_t* surf = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
  if (cairo_surface_status(surf) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surf);
    return false;
  }
  cairo_t* cr = cairo_create(surf);
  cairo_font_options_t* fo = cairo_font_options_create();
  cairo_font_options_set_antialias(fo, CAIRO_ANTIALIAS_GRAY);
  cairo_font_options_set_hint_style(fo, L.snap ? CAIRO_HINT_STYLE_SLIGHT : CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(fo, CAIRO_HINT_METRICS_OFF);
  cairo_set_font_options(cr, fo);
  cairo_font_options_destroy(fo);
  cairo_set_source_rgb(cr, L.background.r, L.background.g, L.background.b);
  cairo_paint(cr);
  Rng clutter = stream(seed, kClutter);
  draw_clutter(cr, clutter, L, w, h);
  draw_board(cr, L, c);
  bool ok = cairo_status(cr) == CAIRO_STATUS_SUCCESS;
  cairo_destroy(cr);
  cairo_surface_flush(surf);
  const unsigned char* data = cairo_image_surface_get_data(surf);
  int stride = cairo_image_surface_get_stride(surf);
  rgb.resize(std::size_t(w) * h * 3);
  for (int y = 0; y < h && ok; ++y) {
    const unsigned char* row = data + std::size_t(y) * stride;
    for (int x = 0; x < w; ++x) {
      std::uint32_t v;
      std::memcpy(&v, row + 4 * x, 4);
      unsigned char* o = &rgb[(std::size_t(y) * w + x) * 3];
      o[0] = (v >> 16) & 255;
      o[1] = (v >> 8) & 255;
      o[2] = v & 255;
    }
  }
  cairo_surface_destroy(surf);
  return ok;
}

}  // namespace

const char* style_name(Style s) { return name_of(kStyles, int(s)); }
const char* photo_name(Photo p) { return name_of(kPhotos, int(p)); }
const char* regions_name(Regions r) { return name_of(kRegions, int(r)); }
const char* diagonals_name(Diagonals d) { return name_of(kDiagonals, int(d)); }
bool parse_style(const std::string& s, Style& out) { return parse(kStyles, s, out); }
bool parse_photo(const std::string& s, Photo& out) { return parse(kPhotos, s, out); }
bool parse_regions(const std::string& s, Regions& out) { return parse(kRegions, s, out); }
bool parse_diagonals(const std::string& s, Diagonals& out) { return parse(kDiagonals, s, out); }
bool parse_marks(const std::string& s, Marks& out) { return parse(kMarks, s, out); }

bool render(const Options& opt, imageio::Image& out, Truth& t, std::string* err) {
  out = imageio::Image{};
  t = Truth{};
  if (opt.width < kMinSide || opt.height < kMinSide || opt.width > kMaxSide || opt.height > kMaxSide)
    return fail(err, "picture size out of range");

  Rng look_rng = stream(opt.seed, kLook);
  Style style = opt.style;
  if (style == Style::Any) {
    double u = look_rng.unit();
    style = u < 0.3 ? Style::Newspaper : u < 0.55 ? Style::Book : u < 0.85 ? Style::App : Style::AppDark;
  }
  bool app = style == Style::App || style == Style::AppDark;

  Rng content_rng = stream(opt.seed, kContent);
  bool jigsaw = opt.regions == Regions::Auto ? content_rng.chance(0.3) : opt.regions != Regions::Boxes;
  bool diagonals = opt.diagonals == Diagonals::Auto ? content_rng.chance(0.25) : opt.diagonals != Diagonals::None;
  bool marks = opt.marks == Marks::Auto ? content_rng.chance(app ? 0.6 : 0.4) : opt.marks == Marks::Some;
  bool full_notes = app && content_rng.chance(0.3);
  Content c;
  make_content(content_rng, jigsaw, diagonals, marks, full_notes, c);

  Look L;
  choose_look(look_rng, style, opt.regions, opt.diagonals, c, opt.width, opt.height, L);
  std::vector<unsigned char> page;
  if (!draw_page(opt.seed, L, c, opt.width, opt.height, page)) return fail(err, "drawing failed");

  Rng cap_rng = stream(opt.seed, kCapture);
  Photo photo = resolve_photo(cap_rng, opt.photo, style);
  CaptureParams p;
  choose_capture(cap_rng, photo, p);
  double gx[4], gy[4], px[4], py[4];
  grid_corners(L, gx, gy);
  if (!capture(cap_rng, p, page, opt.width, opt.height, gx, gy, out, px, py)) {
    out = imageio::Image{};
    return fail(err, "JPEG round trip failed");
  }

  for (int k = 0; k < 4; ++k) {
    t.corner_x[k] = float(px[k]);
    t.corner_y[k] = float(py[k]);
  }
  std::memcpy(t.givens, c.givens, sizeof t.givens);
  std::memcpy(t.entries, c.entries, sizeof t.entries);
  std::memcpy(t.pencil, c.pencil, sizeof t.pencil);
  std::memcpy(t.regions, c.regions, sizeof t.regions);
  t.jigsaw = c.jigsaw;
  t.diagonals = c.diagonals;
  t.style = L.style;
  t.photo = photo;
  t.region_display = L.regions;
  t.diagonal_display = L.diagonals;
  t.font = font_label(L.font_given);
  t.rotation_deg = float(p.rotation_deg);
  t.blur_sigma = float(p.blur_sigma);
  t.noise_sigma = float(p.noise_sigma);
  t.jpeg_quality = p.jpeg_quality;
  return true;
}

bool cell_corners(const Truth& t, int row, int col, float xs[4], float ys[4]) {
  if (row < 0 || row > 8 || col < 0 || col > 8) return false;
  const double ux[4] = {0, 9, 9, 0}, uy[4] = {0, 0, 9, 9};
  double dx[4], dy[4], h[9];
  for (int k = 0; k < 4; ++k) dx[k] = t.corner_x[k], dy[k] = t.corner_y[k];
  if (!homography(ux, uy, dx, dy, h)) return false;
  const int cx[4] = {col, col + 1, col + 1, col}, cy[4] = {row, row, row + 1, row + 1};
  for (int k = 0; k < 4; ++k) {
    double d = h[6] * cx[k] + h[7] * cy[k] + h[8];
    if (std::fabs(d) < 1e-12) return false;
    xs[k] = float((h[0] * cx[k] + h[1] * cy[k] + h[2]) / d);
    ys[k] = float((h[3] * cx[k] + h[4] * cy[k] + h[5]) / d);
  }
  return true;
}

std::string truth_json(const Options& opt, const Truth& t) {
  std::string s;
  char buf[160];
  auto cells = [&](const char* key, const int* v) {
    s += "  \"";
    s += key;
    s += "\": [";
    for (int i = 0; i < 81; ++i) {
      std::snprintf(buf, sizeof buf, "%s%d", i == 0 ? "" : i % 9 == 0 ? ",\n    " : ",", v[i]);
      s += buf;
    }
    s += "],\n";
  };
  std::snprintf(buf, sizeof buf, "{\n  \"seed\": %llu,\n  \"width\": %d,\n  \"height\": %d,\n",
                static_cast<unsigned long long>(opt.seed), opt.width, opt.height);
  s += buf;
  s += "  \"corners\": [";
  for (int k = 0; k < 4; ++k) {
    std::snprintf(buf, sizeof buf, "%s[%.2f, %.2f]", k ? ", " : "", t.corner_x[k], t.corner_y[k]);
    s += buf;
  }
  s += "],\n";
  cells("givens", t.givens);
  cells("entries", t.entries);
  cells("pencil", t.pencil);
  cells("regions", t.regions);
  std::string font;
  for (char ch : t.font)
    if (ch != '"' && ch != '\\') font += ch;
  std::snprintf(buf, sizeof buf, "  \"jigsaw\": %s,\n  \"diagonals\": %s,\n", t.jigsaw ? "true" : "false",
                t.diagonals ? "true" : "false");
  s += buf;
  std::snprintf(buf, sizeof buf, "  \"style\": \"%s\",\n  \"photo\": \"%s\",\n  \"region_display\": \"%s\",\n",
                style_name(t.style), photo_name(t.photo), regions_name(t.region_display));
  s += buf;
  std::snprintf(buf, sizeof buf, "  \"diagonal_display\": \"%s\",\n  \"font\": \"%s\",\n",
                diagonals_name(t.diagonal_display), font.c_str());
  s += buf;
  std::snprintf(buf, sizeof buf,
                "  \"rotation_deg\": %.2f,\n  \"blur_sigma\": %.2f,\n  \"noise_sigma\": %.2f,\n  \"jpeg_quality\": %d\n}\n",
                t.rotation_deg, t.blur_sigma, t.noise_sigma, t.jpeg_quality);
  s += buf;
  return s;
}

}  // namespace render
