// Loading the photo set with its corners and digits, and straightening pictures as the reader's driver does.
#include "ocr_data.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#include "ocr/ocr_image.h"
#include "ocr/ocr_warp.h"

namespace ocr_data {
namespace {

std::vector<std::string> read_lines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
        if (!line.empty()) lines.push_back(line);
    }
    return lines;
}

// The last nine lines of nine single digits of a .dat file; false when there are fewer.
bool read_digits(const std::string& path, int digits[81]) {
    std::vector<std::vector<int>> rows;
    for (const std::string& line : read_lines(path)) {
        std::istringstream ss(line);
        std::vector<int> row;
        std::string tok;
        bool ok = true;
        while (ss >> tok) {
            ok = ok && tok.size() == 1 && tok[0] >= '0' && tok[0] <= '9';
            row.push_back(tok[0] - '0');
        }
        if (ok && row.size() == 9) rows.push_back(row);
    }
    if (rows.size() < 9) return false;
    for (int r = 0; r < 9; ++r)
        for (int c = 0; c < 9; ++c) digits[r * 9 + c] = rows[rows.size() - 9 + static_cast<size_t>(r)][static_cast<size_t>(c)];
    return true;
}

}  // namespace

std::vector<Photo> load_photos(const std::string& dir, const std::string& list) {
    std::map<std::string, Photo> corners;
    for (const std::string& line : read_lines(dir + "/outlines_sorted.csv")) {
        std::stringstream ss(line);
        std::string name, field;
        std::getline(ss, name, ',');
        if (name.rfind("./", 0) == 0) name = name.substr(2);
        Photo p;
        bool ok = true;
        for (int k = 0; k < 8 && ok; ++k) {
            ok = static_cast<bool>(std::getline(ss, field, ','));
            if (ok) (k % 2 ? p.corner_y : p.corner_x)[k / 2] = std::strtof(field.c_str(), nullptr);
        }
        if (ok) corners[name] = p;
    }
    std::vector<Photo> photos;
    for (const std::string& name : read_lines(dir + "/" + list)) {
        auto it = corners.find(name);
        if (it == corners.end()) continue;
        Photo p = it->second;
        p.path = dir + "/" + name;
        const std::string dat = p.path.substr(0, p.path.rfind('.')) + ".dat";
        if (read_digits(dat, p.digits)) photos.push_back(p);
    }
    return photos;
}

std::vector<uint8_t> reader_grey(const imageio::Image& img) {
    std::vector<uint8_t> grey;
    grey_from_colour(img.px.data(), img.w, img.h, img.bpp, grey);
    if (ink_majority(grey.data(), img.w, img.h)) invert_grey(grey.data(), grey.size());
    return grey;
}

bool straighten(const std::vector<uint8_t>& grey, int w, int h, const float xs[4], const float ys[4],
                float margin, std::vector<uint8_t>& out, int& side) {
    const float cx = (xs[0] + xs[1] + xs[2] + xs[3]) / 4, cy = (ys[0] + ys[1] + ys[2] + ys[3]) / 4;
    float wx[4], wy[4];
    for (int k = 0; k < 4; ++k) {
        wx[k] = cx + (xs[k] - cx) * (1 + 2 * margin);
        wy[k] = cy + (ys[k] - cy) * (1 + 2 * margin);
    }
    float H[9];
    if (!solve_homography(wx, wy, H)) return false;
    side = ocr_warp_size(w, h);
    warp_quad(grey.data(), w, h, H, out, side);
    return true;
}

void straightened_box(int side, float margin, int box[4]) {
    const float lo = static_cast<float>(side) * margin / (1 + 2 * margin) - 0.5f;
    const float hi = static_cast<float>(side) * (1 + margin) / (1 + 2 * margin) - 0.5f;
    box[0] = box[1] = static_cast<int>(std::lround(lo));
    box[2] = box[3] = static_cast<int>(std::lround(hi));
}

void upright_box(const float xs[4], const float ys[4], int box[4]) {
    box[0] = static_cast<int>(std::lround(std::min(xs[0], xs[3])));
    box[1] = static_cast<int>(std::lround(std::min(ys[0], ys[1])));
    box[2] = static_cast<int>(std::lround(std::max(xs[1], xs[2])));
    box[3] = static_cast<int>(std::lround(std::max(ys[2], ys[3])));
}

bool held_out_font(const std::string& font_label) {
    static const char* const kHeldOut[] = {"Lato ", "P052 ", "Liberation Mono "};
    for (const char* family : kHeldOut)
        if (font_label.rfind(family, 0) == 0) return true;
    return false;
}

}  // namespace ocr_data
