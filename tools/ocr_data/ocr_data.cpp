// Loading the photo set with its corners and digits, and straightening pictures as the reader's driver does.
#include "ocr_data.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#include "ocr/ocr_image.h"
#include "ocr/ocr_second.h"
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

// The text of a whole file, empty when it cannot be read.
std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// The values of every `"key": value` in a JSON text, in order, as raw text (a number, the
// characters between the quotes of a string, or the inside of an array).
std::vector<std::string> json_values(const std::string& text, const std::string& key) {
    std::vector<std::string> values;
    const std::string quoted = "\"" + key + "\"";
    for (size_t at = text.find(quoted); at != std::string::npos; at = text.find(quoted, at + 1)) {
        size_t p = text.find(':', at + quoted.size());
        if (p == std::string::npos) break;
        p = text.find_first_not_of(" \t\r\n", p + 1);
        if (p == std::string::npos) break;
        size_t end;
        if (text[p] == '"') end = text.find('"', p + 1), ++p;
        else if (text[p] == '[') end = text.find(']', p), ++p;
        else end = text.find_first_of(",}\r\n", p);
        if (end == std::string::npos) break;
        values.push_back(text.substr(p, end - p));
    }
    return values;
}

// The 81 digits of a puzzle's initialValues (nine quoted rows of nine characters, space for
// empty); false unless all 81 are there.
bool webcam_digits(const std::string& rows, int digits[81]) {
    int cell = 0;
    for (size_t q = rows.find('"'); q != std::string::npos && cell < 81; q = rows.find('"', q + 11))
        for (int c = 0; c < 9 && q + 1 + static_cast<size_t>(c) < rows.size(); ++c) {
            const char ch = rows[q + 1 + static_cast<size_t>(c)];
            digits[cell++] = ch >= '1' && ch <= '9' ? ch - '0' : 0;
        }
    return cell == 81;
}

}  // namespace

std::vector<Photo> load_webcam(const std::string& dir, const std::string& list) {
    constexpr float kNormalisedSide = 224.0f;
    const std::string puzzles = slurp(dir + "/puzzles.json");
    const std::vector<std::string> ids = json_values(puzzles, "id"), rows = json_values(puzzles, "initialValues");
    const std::string text = slurp(dir + "/" + list);
    const std::vector<std::string> pid = json_values(text, "puzzleId"), url = json_values(text, "url"),
                                   box = json_values(text, "boundingBox");
    std::vector<Photo> shots;
    for (size_t k = 0; k < pid.size() && k < url.size() && k < box.size(); ++k) {
        Photo p;
        p.path = dir + "/raw/" + url[k].substr(url[k].rfind('/') + 1);
        bool known = false;
        for (size_t j = 0; j < ids.size() && j < rows.size() && !known; ++j)
            known = ids[j] == pid[k] && webcam_digits(rows[j], p.digits);
        imageio::Image img;
        if (!known || !imageio::read_image(p.path, img)) continue;
        float b[4] = {};
        std::stringstream ss(box[k]);
        std::string field;
        for (int i = 0; i < 4 && std::getline(ss, field, ','); ++i) b[i] = std::strtof(field.c_str(), nullptr);
        const float fx = static_cast<float>(img.w) / kNormalisedSide, fy = static_cast<float>(img.h) / kNormalisedSide;
        const float x0 = b[0] * fx, y0 = b[1] * fy, x1 = (b[0] + b[2]) * fx, y1 = (b[1] + b[3]) * fy;
        const float xs[4] = {x0, x1, x1, x0}, ys[4] = {y0, y0, y1, y1};
        std::copy(xs, xs + 4, p.corner_x);
        std::copy(ys, ys + 4, p.corner_y);
        shots.push_back(p);
    }
    return shots;
}

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

std::vector<uint8_t> second_grey(const imageio::Image& img) {
    std::vector<uint8_t> grey;
    grey_from_colour(img.px.data(), img.w, img.h, img.bpp, grey);
    if (ocr_light_on_dark(grey.data(), img.w, img.h)) invert_grey(grey.data(), grey.size());
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
