// Drawing a jigsaw map from the map files, completing it by its symmetry, orienting and renumbering it.
#include "maps/GroupMap.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "maps/Filenames_cli.h"
#include "maps/zipinput.h"
#include "util/rand_utils.h"

const char* const jigsawGroupMapFilenames[kGroupMapFiles] = {
    "mir01", "mir02", "mir03", "mir04", "mir05", "mir06", "mir07", "mir08",
    "mir09", "mir10", "rot_2grp01", "rot_3grp01", "rot_3grp02", "rot_3grp03", "rot_3grp04"};

namespace {

int& at(Matrix<int, 9>& m, int k) { return m.m[k / 9][k % 9]; }

// new(r, c) = old(8 - c, r)
void turn_clockwise(Matrix<int, 9>& m) {
    Matrix<int, 9> old = m;
    for (int r = 0; r < 9; ++r)
        for (int c = 0; c < 9; ++c) m[r][c] = old[8 - c][r];
}

// new(r, c) = old(c, 8 - r)
void turn_counter_clockwise(Matrix<int, 9>& m) {
    Matrix<int, 9> old = m;
    for (int r = 0; r < 9; ++r)
        for (int c = 0; c < 9; ++c) m[r][c] = old[c][8 - r];
}

void transpose(Matrix<int, 9>& m) {
    Matrix<int, 9> old = m;
    for (int r = 0; r < 9; ++r)
        for (int c = 0; c < 9; ++c) m[r][c] = old[c][r];
}

void mirror_left_right(Matrix<int, 9>& m) {
    Matrix<int, 9> old = m;
    for (int r = 0; r < 9; ++r)
        for (int c = 0; c < 9; ++c) m[r][c] = old[r][8 - c];
}

}  // namespace

void GroupMap::initMap() {
    if (mapType == MAP_SQUARE) {
        groupMatrix = square_group_map;
    } else if (mapType == MAP_IRREGULAR) {
        bool loaded = false;
        for (int attempt = 0; attempt < kMapAttempts && !loaded; ++attempt) {
            if (!get_random_compressed_group_map()) continue;
            binaryToIntegerMap();
            if (!isNineGroupsOfNine()) {
                std::fprintf(stderr, "GroupMap: loaded map %d is not nine groups of nine cells; retrying\n",
                             attempt);
            } else if (mapIsSquareBoxes()) {
                std::fprintf(stderr, "GroupMap: loaded map %d is the square box map; retrying\n", attempt);
            } else {
                loaded = true;
            }
        }
        if (!loaded) {
            groupMatrix = square_group_map;
            fellBackToSquare = true;
            // The boxes have no partner rule of their own: colour them as nine separate regions.
            symmetry = SYM_NONE;
            std::fprintf(stderr,
                         "GroupMap: *** could not load an irregular map after %d attempts; falling back to "
                         "the SQUARE box map. Any puzzle generated now is a SQUARE puzzle and must not be "
                         "filed as irregular. ***\n",
                         kMapAttempts);
        }
    } else {
        std::printf("initMapType: unknown mapType %d", static_cast<int>(mapType));
        return;
    }
    makeColorMap();
}

void GroupMap::makeColorMap() {
    if (mapType == MAP_IRREGULAR) {
        makeIrregColorMap();
    } else if (mapType == MAP_SQUARE) {
        int b = static_cast<int>(arc4random_uniform(2));
        for (int g = 0; g < 9; ++g) colorMap[g] = g % 2 == 0 ? 1 - b : b;
    } else {
        std::fprintf(stderr, "makeColorMap: unknown mapType %d", static_cast<int>(mapType));
    }
}

bool GroupMap::get_random_compressed_group_map() {
    uint32_t r = arc4random_uniform(30);
    int file_number = r < 10 ? static_cast<int>(r) : 10 + static_cast<int>(r - 10) / 4;
    if (file_number >= kGroupMapFiles) {
        std::fprintf(stderr, "GroupMap: file_number %d out of range [0,%d)\n", file_number, kGroupMapFiles);
        return false;
    }
    std::string path = get_full_filename(jigsawGroupMapFilenames[file_number], "z");
    uint64_t length = 0;
    unsigned char* content = get_zipped_file_contents(path, &length, kGroupMapFileLimit);
    if (!content) {
        std::fprintf(stderr, "GroupMap: couldn't read %s\n", path.c_str());
        return false;
    }
    compressize = 0;
    nMaps = 0;
    bool ok = parseHeader(content);
    // Every record the header promises must lie inside what was inflated.
    bool fits = compressize >= 1 && compressize <= kMaxRecordBytes && nMaps > 0 &&
                kGroupMapHeaderBytes + static_cast<uint64_t>(nMaps) * static_cast<uint64_t>(compressize) <= length;
    if (!ok || !fits) {
        std::fprintf(stderr, "GroupMap: bad header in %s (ok=%d compressize=%d nMaps=%d)\n", path.c_str(),
                     ok ? 1 : 0, compressize, nMaps);
        std::free(content);
        return false;
    }
    uint32_t k = arc4random_uniform(static_cast<uint32_t>(nMaps));
    std::memcpy(compressedMap, content + kGroupMapHeaderBytes + static_cast<size_t>(k) * compressize,
                static_cast<size_t>(compressize));
    std::free(content);
    return true;
}

bool GroupMap::parseHeader(const unsigned char* header) {
    if (std::memcmp(header, "SGM0.001", 8) != 0) return false;
    if (std::memcmp(header + 8, "ROT", 3) == 0) {
        symmetry = SYM_ROTATION;
    } else if (std::memcmp(header + 8, "MIR", 3) == 0) {
        symmetry = SYM_MIRROR;
    } else if (std::memcmp(header + 8, "NON", 3) == 0) {
        symmetry = SYM_NONE;
    } else {
        return false;
    }
    // The numeric fields are fixed-width and not terminated: scan bounded copies.
    char field[11];
    std::memcpy(field, header + 11, 2);
    field[2] = 0;
    std::sscanf(field, "%2d", &compressize);
    std::memcpy(field, header + 13, 10);
    field[10] = 0;
    std::sscanf(field, "%10d", &nMaps);
    return true;
}

void GroupMap::binaryToIntegerMap() {
    const int first_unset = unpackRecord();
    if (symmetry == SYM_ROTATION)
        fillOutRotationalMap(first_unset);
    else
        fillOutMirrorMap(first_unset);
    finishNumbering();
}

int GroupMap::unpackRecord() {
    const int n_bytes = compressize >= 1 && compressize <= kMaxRecordBytes ? compressize : 0;
    for (int k = 0; k < N_CELLS; ++k) at(groupMatrix, k) = 0;
    at(groupMatrix, 0) = 1;
    for (int i = 0; i < n_bytes; ++i) {
        at(groupMatrix, 2 * i + 1) = compressedMap[i] >> 4;
        at(groupMatrix, 2 * i + 2) = compressedMap[i] & 0xf;
    }
    return 2 * n_bytes + 1;
}

void GroupMap::finishNumbering() {
    for (int k = 0; k < N_CELLS; ++k) at(groupMatrix, k) -= 1;
    renumberGroupMap(groupMatrix);
}

void GroupMap::fillOutRotationalMap(int firstUnset) {
    completeRotationalMap(firstUnset);
    orientRotationalMap(static_cast<int>(arc4random_uniform(4)));
}

void GroupMap::completeRotationalMap(int firstUnset) {
    for (int a = firstUnset; a < N_CELLS; ++a) {
        int v = at(groupMatrix, 80 - a);
        at(groupMatrix, a) = v == 9 ? 9 : (v % 2 ? v + 1 : v - 1);
    }
}

void GroupMap::orientRotationalMap(int t) {
    switch (t) {
        case 1: turn_clockwise(groupMatrix); break;
        case 2: transpose(groupMatrix); break;
        case 3: mirror_left_right(groupMatrix); break;
        default: break;
    }
}

void GroupMap::fillOutMirrorMap(int firstUnset) {
    completeMirrorMap(firstUnset);
    orientMirrorMap(static_cast<int>(arc4random_uniform(2)));
}

void GroupMap::completeMirrorMap(int firstUnset) {
    bool on_axis[16] = {};
    for (int c = 0; c < 9; ++c) {
        int v = groupMatrix[4][c];
        if (v >= 0 && v < 16) on_axis[v] = true;
    }
    for (int r = firstUnset / 9; r < 9; ++r) {
        for (int c = firstUnset % 9; c < 9; ++c) {
            int g = groupMatrix[8 - r][c];
            groupMatrix[r][c] = g >= 0 && g < 16 && on_axis[g] ? g : g + 1;
        }
    }
}

void GroupMap::orientMirrorMap(int t) {
    if (t == 0)
        turn_clockwise(groupMatrix);
    else
        turn_counter_clockwise(groupMatrix);
}

void GroupMap::renumberGroupMap(Matrix<int, 9>& m) {
    for (int k = 0; k < N_CELLS; ++k) at(m, k) += 10;
    int next = 0;
    for (int k = 0; k < N_CELLS; ++k) {
        int v = at(m, k);
        if (v < 10) continue;
        for (int j = k; j < N_CELLS; ++j)
            if (at(m, j) == v) at(m, j) = next;
        ++next;
    }
}

bool GroupMap::mapIsSquareBoxes() const {
    for (int i = 0; i < N_CELLS; ++i)
        for (int j = i + 1; j < N_CELLS; ++j) {
            bool here = groupMatrix[i / 9][i % 9] == groupMatrix[j / 9][j % 9];
            bool boxes = square_group_map[i / 9][i % 9] == square_group_map[j / 9][j % 9];
            if (here != boxes) return false;
        }
    return true;
}

bool GroupMap::isNineGroupsOfNine() const {
    int count[9] = {};
    for (int k = 0; k < N_CELLS; ++k) {
        int g = groupMatrix[k / 9][k % 9];
        if (g < 0 || g > 8 || ++count[g] > 9) return false;
    }
    return true;
}

DIMENSION GroupMap::dimWithLongestRun() const {
    int longest_across = 0, longest_down = 0;
    for (int a = 0; a < 9; ++a) {
        int across = 1, down = 1;
        for (int b = 1; b < 9; ++b) {
            across = groupMatrix[a][b] == groupMatrix[a][b - 1] ? across + 1 : 1;
            down = groupMatrix[b][a] == groupMatrix[b - 1][a] ? down + 1 : 1;
            if (across > longest_across) longest_across = across;
            if (down > longest_down) longest_down = down;
        }
        if (longest_across < 1) longest_across = 1;
        if (longest_down < 1) longest_down = 1;
    }
    return longest_down > longest_across ? DIM_COL : DIM_ROW;
}

void GroupMap::print_group_map() const {
    for (int r = 0; r < 9; ++r) {
        for (int c = 0; c < 9; ++c) std::printf("%d ", groupMatrix[r][c]);
        std::printf("\n");
    }
}

void GroupMap::print_color_map() const {
    for (int g = 0; g < 9; ++g) std::printf("%d ", colorMap[g]);
    std::printf("\n");
}
