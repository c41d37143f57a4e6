// Pictures with known cells for the digit reader's trainer and measurements: real photos and rendered pictures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "imageio.h"

namespace ocr_data {

// One photo of the newspaper set: its file, the grid's true outer corners (top-left, top-right,
// bottom-right, bottom-left) and the 81 printed digits, row-major, 0 for empty.
struct Photo {
    std::string path;
    float corner_x[4] = {}, corner_y[4] = {};
    int digits[81] = {};
};

// The photos named in one list of the set (e.g. "v2_train.desc") that have corners and digits.
// Lists are kept apart: the test list is for measurement only.
std::vector<Photo> load_photos(const std::string& dir, const std::string& list);

// The webcam set's shots named by one of its JSON lists (e.g. "training-data.json"; the test file
// is for measurement only): the raw colour shot under raw/, its puzzle's digits from puzzles.json
// and its corners from the list's bounding box, which is given in the 224-pixel normalised image
// and scaled to the raw shot. Shots that cannot be read or have no known puzzle are left out.
std::vector<Photo> load_webcam(const std::string& dir, const std::string& list);

// The grey picture of a colour image, turned dark-on-light when most of it is dark.
std::vector<uint8_t> reader_grey(const imageio::Image& img);

// The grey picture of a colour image as the second opinion reads it: turned dark-on-light when
// it is light print on a dark ground (ocr_light_on_dark).
std::vector<uint8_t> second_grey(const imageio::Image& img);

// The grey picture straightened by the four corners into the reader's S x S square (S from the
// picture's size), the quadrilateral first widened about its centre by `margin` of its size on
// every side, so that a frame line the corners cut in half shows whole. False when the corners
// are degenerate.
bool straighten(const std::vector<uint8_t>& grey, int w, int h, const float xs[4], const float ys[4],
                float margin, std::vector<uint8_t>& out, int& side);

// The lattice box (left, top, right, bottom) of a picture straightened with `margin`: the corners
// land margin / (1 + 2 margin) of the side in from each edge.
void straightened_box(int side, float margin, int box[4]);

// The lattice box of an upright picture from its four corners: the outermost of each side's pair.
void upright_box(const float xs[4], const float ys[4], int box[4]);

// Families of printed faces the trainer never sees, kept for measuring the reader on new faces.
bool held_out_font(const std::string& font_label);

}  // namespace ocr_data
