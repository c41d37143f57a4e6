// Every map of every shipped map file, through the engine's reader and completion in all orientations.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "maps/GroupMap.h"
#include "maps/zipinput.h"
#include "support/exact_search.h"
#include "util/rand_utils.h"

namespace {

bool groups_connected(const Matrix<int, 9>& m) {
    for (int g = 0; g < 9; ++g) {
        int start = -1, total = 0;
        for (int k = 0; k < 81; ++k)
            if (m[k / 9][k % 9] == g) start = start < 0 ? k : start, ++total;
        if (start < 0) return false;
        bool seen[81] = {};
        int stack[81], top = 0, reached = 0;
        stack[top++] = start;
        seen[start] = true;
        while (top) {
            int k = stack[--top];
            ++reached;
            const int r = k / 9, c = k % 9;
            const int next[4][2] = {{r - 1, c}, {r + 1, c}, {r, c - 1}, {r, c + 1}};
            for (auto [nr, nc] : next) {
                if (nr < 0 || nr > 8 || nc < 0 || nc > 8) continue;
                int n = nr * 9 + nc;
                if (!seen[n] && m[nr][nc] == g) seen[n] = true, stack[top++] = n;
            }
        }
        if (reached != total) return false;
    }
    return true;
}

// The partition is unchanged by moving every cell (r, c) to f(r, c): groups map onto groups one to one.
template <typename F>
bool symmetric(const Matrix<int, 9>& m, F f) {
    int image[9], preimage[9];
    for (int g = 0; g < 9; ++g) image[g] = preimage[g] = -1;
    for (int a = 0; a < 81; ++a) {
        auto [r, c] = f(a / 9, a % 9);
        const int g = m[a / 9][a % 9], h = m[r][c];
        if (image[g] < 0 && preimage[h] < 0) image[g] = h, preimage[h] = g;
        if (image[g] != h || preimage[h] != g) return false;
    }
    return true;
}

std::string key(const Matrix<int, 9>& m) {
    std::string s;
    for (int k = 0; k < 81; ++k) s += static_cast<char>('0' + m[k / 9][k % 9]);
    return s;
}

TEST(ShippedMaps, EveryMapMeetsTheInvariants) {
    rand_seed_thread(4242);
    std::set<std::string> all;
    int total = 0;
    for (int f = 0; f < kGroupMapFiles; ++f) {
        const std::string name = jigsawGroupMapFilenames[f];
        const std::string path = std::string(QUADRILLO_GROUP_MAPS_DIR) + "/" + name + ".z";
        uint64_t length = 0;
        unsigned char* content = get_zipped_file_contents(path, &length, kGroupMapFileLimit);
        ASSERT_NE(content, nullptr) << path;
        GroupMap header{};
        ASSERT_TRUE(header.parseHeader(content)) << name;
        const bool rot = name.rfind("rot", 0) == 0;
        EXPECT_EQ(header.symmetry, rot ? SYM_ROTATION : SYM_MIRROR) << name;
        EXPECT_EQ(header.compressize, rot ? 20 : 22) << name;
        EXPECT_GE(header.nMaps, 250) << name;
        ASSERT_LE(80 + static_cast<uint64_t>(header.nMaps) * header.compressize, length) << name;

        for (int k = 0; k < header.nMaps; ++k, ++total) {
            GroupMap gm = header;
            std::memcpy(gm.compressedMap, content + 80 + k * gm.compressize, gm.compressize);
            const int first_unset = gm.unpackRecord();
            // The stored numbering: nibbles 1..9, and for half-turn maps the centre in group 9.
            for (int c = 0; c < first_unset; ++c) {
                int v = gm.groupMatrix[c / 9][c % 9];
                ASSERT_TRUE(v >= 1 && v <= 9) << name << " map " << k;
            }
            if (rot) {
                EXPECT_EQ(gm.groupMatrix[4][4], 9) << name << " map " << k;
                gm.completeRotationalMap(first_unset);
            } else {
                gm.completeMirrorMap(first_unset);
            }
            const int orientations = rot ? 4 : 2;
            for (int t = 0; t < orientations; ++t) {
                GroupMap o = gm;
                if (rot)
                    o.orientRotationalMap(t);
                else
                    o.orientMirrorMap(t);
                o.finishNumbering();
                const std::string where = name + " map " + std::to_string(k) + " orientation " + std::to_string(t);
                ASSERT_TRUE(o.isNineGroupsOfNine()) << where;
                EXPECT_TRUE(groups_connected(o.groupMatrix)) << where;
                EXPECT_FALSE(o.mapIsSquareBoxes()) << where;
                if (rot) {
                    EXPECT_TRUE(symmetric(o.groupMatrix, [](int r, int c) { return std::pair(8 - r, 8 - c); })) << where;
                } else {
                    EXPECT_TRUE(symmetric(o.groupMatrix, [](int r, int c) { return std::pair(r, 8 - c); })) << where;
                }
                if (t == 0) {
                    EXPECT_TRUE(all.insert(key(o.groupMatrix)).second) << "duplicate: " << where;
                }
                if (t == 0 && k % 100 == 0) {  // a sample; the map tool's own check verifies a solution for all
                    ExactSearch search;
                    // A search that hits its node cap proves nothing either way.
                    EXPECT_TRUE(search.solvable(o.groupMatrix, false, 200000) || search.capped()) << where;
                    EXPECT_TRUE(search.solvable(o.groupMatrix, true, 200000) || search.capped()) << where << " x";
                }
            }
        }
        std::free(content);
    }
    rand_unseed_thread();
    EXPECT_GE(total, 15 * 300);
    RecordProperty("maps", total);
    std::printf("%d maps checked\n", total);
}

}  // namespace
