// quorvel ocr: reads the puzzle in a PNG or JPEG picture, with its drawn regions and diagonal marks.
#include <cerrno>
#include <cstring>

#include "cli.h"
#include "imageio.h"

namespace cli {

namespace {

const char kOcrHelp[] =
    "usage: quorvel ocr [options] [FILE...]\n"
    "Reads the puzzle in each PNG or JPEG picture (a screenshot, a scan or a photo of a grid): its\n"
    "printed digits, its drawn regions (thick walls or region colours) and whether its two long\n"
    "diagonals are marked. FILE '-' or none: the picture on standard input. Transparent parts\n"
    "of a picture are read as white, as a viewer shows them.\n"
    "\n"
    "      --grid            draw each puzzle, with its regions' walls, under a header holding\n"
    "                        the picture's name and the puzzle's classification\n"
    "      --json            one JSON object per picture, with the classification\n"
    "      --unsound         print a reading that is no sound puzzle as well (still named on\n"
    "                        standard error, but not a failure): to finish it by hand\n"
    "  -h, --help            this text\n"
    "\n"
    "Plain output is one line per picture, tab-separated: the puzzle as the other commands read\n"
    "it (81 characters, '.' for blanks, and for a jigsaw a space and its 81-digit group map), the\n"
    "map (square or jigsaw) and the adjacency (regular, or x when the diagonals are marked), so\n"
    "'quorvel ocr pic.png | cut -f1 | quorvel classify' rates a square regular puzzle.\n"
    "A reading that is not a sound puzzle (a digit twice in a house, fewer than 17 digits, no or\n"
    "several solutions) is reported on standard error and not printed, unless --unsound.\n"
    "Exit status: 0 every picture read, 1 a file unreadable, not a picture, without a puzzle or\n"
    "read as no sound puzzle, 2 bad usage.\n";

enum Format { kLine, kGrid, kJson };

// Every byte of a file, or of standard input for "-"; false (after complaining) when unreadable.
bool read_bytes(const std::string& path, std::vector<unsigned char>& out) {
    const bool stdin_ = path == "-";
    FILE* f = stdin_ ? stdin : std::fopen(path.c_str(), "rb");
    if (!f) {
        complain("%s: %s", path.c_str(), std::strerror(errno));
        return false;
    }
    unsigned char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.insert(out.end(), buf, buf + n);
    const bool bad = std::ferror(f) != 0;
    const int saved = errno;
    if (!stdin_) std::fclose(f);
    if (bad) complain("%s: %s", path.c_str(), std::strerror(saved));
    return !bad;
}

// Lays a picture with an alpha channel over white, as a viewer shows it: the engine ignores the
// fourth byte, so a transparent screenshot margin (often stored as black) would read as dark ink.
void flatten_alpha(imageio::Image& img) {
    if (img.bpp != 4) return;
    const size_t n = static_cast<size_t>(img.w) * static_cast<size_t>(img.h);
    unsigned char* p = img.px.data();
    for (size_t i = 0; i < n; ++i) {
        const unsigned a = p[4 * i + 3];
        for (int c = 0; c < 3; ++c) p[3 * i + c] = static_cast<unsigned char>((p[4 * i + c] * a + 255 * (255 - a) + 127) / 255);
    }
    img.px.resize(3 * n);
    img.bpp = 3;
}

// Decodes a PNG or a JPEG, told apart by their first bytes; false (after complaining) otherwise.
bool decode_picture(const std::string& name, const std::vector<unsigned char>& bytes, imageio::Image& img) {
    static const unsigned char kPng[4] = {0x89, 'P', 'N', 'G'};
    std::string why;
    bool ok;
    if (bytes.size() >= 4 && !std::memcmp(bytes.data(), kPng, 4))
        ok = imageio::decode_png(bytes.data(), bytes.size(), img, &why);
    else if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xD8)
        ok = imageio::decode_jpeg(bytes.data(), bytes.size(), img, &why);
    else
        ok = false, why = "not a PNG or JPEG picture";
    if (!ok) complain("%s: %s", name.c_str(), why.c_str());
    else flatten_alpha(img);
    return ok;
}

// What one picture holds, as the engine read it.
struct Reading {
    Grid grid;
    bool regions_found;  // the picture's own regions (else the boxes are assumed)
    int digits;          // cells read
};

// Reads the puzzle out of a decoded picture; false (after complaining) when it holds none.
bool read_picture(const std::string& name, const imageio::Image& img, bool unsound_ok, Reading& r) {
    const unsigned char* px = img.px.data();
    if (!sudoku_ocr_recognize(px, img.w, img.h, img.bpp, r.grid.clues)) {
        complain("%s: a %dx%d picture is too small to hold a puzzle", name.c_str(), img.w, img.h);
        return false;
    }
    r.digits = 0;
    for (int k = 0; k < 81; ++k) r.digits += r.grid.clues[k] != 0;
    if (r.digits == 0) {
        complain("%s: no puzzle found in the picture", name.c_str());
        return false;
    }
    r.regions_found = sudoku_ocr_regions(px, img.w, img.h, img.bpp, r.grid.groups) == 1;
    if (!r.regions_found) square_groups(r.grid.groups);
    r.grid.map_kind = frontend::map_kind_of(r.grid.groups);
    r.grid.adjacency = sudoku_ocr_detect_x(px, img.w, img.h, img.bpp);
    // What was read must be a puzzle: no digit twice in a house, enough digits, one solution.
    std::string why;
    Grid check;
    if (r.digits < 17) {
        why = "only " + std::to_string(r.digits) + " digits read, a puzzle needs at least 17";
    } else if (frontend::parse_sound_puzzle_line(puzzle_line(r.grid.clues, r.grid.groups, r.grid.map_kind),
                                                 r.grid.adjacency, check, why)) {
        ClassifyInfo info;
        std::memset(&info, 0, sizeof info);
        sudoku_classify_clues(r.grid.clues, r.grid.groups, r.grid.map_kind, r.grid.adjacency, &info);
        if (!info.unique) why = info.solvable ? "the digits read leave several solutions" : "the digits read have no solution";
    }
    if (!why.empty()) {
        complain("%s: not a sound puzzle: %s", name.c_str(), why.c_str());
        return unsound_ok;
    }
    return true;
}

void print_reading(Format format, const std::string& name, const Reading& r) {
    const Grid& g = r.grid;
    const char* map = g.map_kind ? "jigsaw" : "square";
    const char* adjacency = g.adjacency ? "x" : "regular";
    if (format == kLine) {
        std::printf("%s\t%s\t%s\n", puzzle_line(g.clues, g.groups, g.map_kind).c_str(), map, adjacency);
        return;
    }
    ClassifyInfo info;
    std::memset(&info, 0, sizeof info);
    sudoku_classify_clues(g.clues, g.groups, g.map_kind, g.adjacency, &info);
    if (format == kGrid) {
        std::printf("# %s: %s %s: %s, level %d, %d clues (%s)\n%s", name.c_str(), map, adjacency, info.label,
                    info.level, info.clue_count, info.description, draw_grid(g.clues, g.groups, g.adjacency).c_str());
        return;
    }
    Json j{{"file", name},
           {"puzzle", puzzle_line(g.clues, g.groups, g.map_kind)},
           {"clues", digits_string(g.clues)},
           {"groups", groups_string(g.groups)},
           {"map", map},
           {"regions_found", r.regions_found},
           {"adjacency", adjacency},
           {"diagonals_marked", g.adjacency != 0}};
    add_classification(j, info);
    print_json(j);
}

}  // namespace

int cmd_ocr(int argc, char** argv) {
    Format format = kLine;
    bool unsound_ok = false;
    std::vector<std::string> files;
    Options options(kOcrHelp);
    options.flag("--grid", [&] { format = kGrid; });
    options.flag("--json", [&] { format = kJson; });
    options.flag("--unsound", unsound_ok);
    options.positionals(files);
    if (const int status = options.parse(argc, argv); status >= 0) return status;
    if (files.empty()) files.push_back("-");
    // A bad picture is reported and skipped; the others are still read.
    bool all_ok = true;
    for (const std::string& path : files) {
        const std::string name = path == "-" ? "<stdin>" : path;
        std::vector<unsigned char> bytes;
        imageio::Image img;
        Reading r;
        if (!read_bytes(path, bytes) || !decode_picture(name, bytes, img) || !read_picture(name, img, unsound_ok, r)) {
            all_ok = false;
            continue;
        }
        print_reading(format, name, r);
        std::fflush(stdout);
    }
    return all_ok ? kExitOk : kExitFail;
}

}  // namespace cli
