// Draws seeded Sudoku pictures (newspaper, book page, app screenshot) with their ground truth.
#pragma once

#include <cstdint>
#include <string>

#include "imageio.h"

namespace render {

// How the page looks. Any lets the seed choose among the others.
enum class Style { Any, Newspaper, Book, App, AppDark };
// How the page is captured: an exact screenshot, a careful photo, a rough phone photo.
// Auto lets the seed choose, weighted by style (apps are mostly screenshots, paper mostly photos).
enum class Photo { Auto, Clean, Mild, Rough };
// How regions show: the classic 3x3 boxes, or a jigsaw map shown by walls, colours or both.
enum class Regions { Auto, Boxes, Walls, Colours, WallsAndColours };
// How the two long diagonals are marked when they are extra houses.
enum class Diagonals { Auto, None, Shade, Tint, Line };
// Whether the board carries pencil marks and coloured player entries beside the printed digits.
enum class Marks { Auto, None, Some };

struct Options {
  std::uint64_t seed = 1;
  int width = 640;
  int height = 480;
  Style style = Style::Any;
  Photo photo = Photo::Auto;
  Regions regions = Regions::Auto;
  Diagonals diagonals = Diagonals::Auto;
  Marks marks = Marks::Auto;
};

// What was drawn. Cells are row-major (index row * 9 + column, row 0 at the top).
// Coordinates are picture pixels with pixel centres at integers: x = 10 is the middle of column 10.
struct Truth {
  // Centres of the outer frame lines where they meet: top-left, top-right, bottom-right, bottom-left.
  float corner_x[4] = {};
  float corner_y[4] = {};
  int givens[81] = {};   // printed clue digits, 0 where the cell has none
  int entries[81] = {};  // digits the player wrote in (another colour or pen), 0 where none
  int pencil[81] = {};   // pencil marks: bit d-1 set when digit d is noted in the cell
  int regions[81] = {};  // region numbers 0..8, numbered in order of each region's first cell
  bool jigsaw = false;   // regions are an irregular map rather than the 3x3 boxes
  bool diagonals = false;
  Style style = Style::Newspaper;
  Photo photo = Photo::Clean;
  Regions region_display = Regions::Boxes;
  Diagonals diagonal_display = Diagonals::None;
  std::string font;  // family and face of the printed digits
  float rotation_deg = 0;  // in-plane turn of the page, positive clockwise on screen
  float blur_sigma = 0;
  float noise_sigma = 0;
  int jpeg_quality = 0;  // 0 when the picture did not pass through JPEG
};

const char* style_name(Style s);
const char* photo_name(Photo p);
const char* regions_name(Regions r);
const char* diagonals_name(Diagonals d);
// Parse the names above (plus "any"/"auto"); false for an unknown name.
bool parse_style(const std::string& s, Style& out);
bool parse_photo(const std::string& s, Photo& out);
bool parse_regions(const std::string& s, Regions& out);
bool parse_diagonals(const std::string& s, Diagonals& out);
bool parse_marks(const std::string& s, Marks& out);

// Smallest and largest accepted picture sides.
inline constexpr int kMinSide = 160;
inline constexpr int kMaxSide = 4096;

// Renders one RGB picture (bpp 3). The same options give the same bytes.
// False (with a reason in err) for sizes outside kMinSide..kMaxSide or a drawing failure.
bool render(const Options& opt, imageio::Image& out, Truth& truth, std::string* err = nullptr);

// Where cell (row, col) lies in the picture: the four points (TL, TR, BR, BL, pixel-centre units) at
// which the frame's projective map puts the cell's corners. The grid is a flat square seen through
// a camera, so the map from the four outer corners places every inner line exactly.
// False for a row or column outside 0..8 or corners that span no area.
bool cell_corners(const Truth& truth, int row, int col, float xs[4], float ys[4]);

// The truth as one JSON object (see README.md for the fields).
std::string truth_json(const Options& opt, const Truth& truth);

}  // namespace render
