// Map files: reading, symmetric completion and orientation, the box test, the fall-back and colours.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "maps/Filenames_cli.h"
#include "maps/GroupMap.h"
#include "maps/zipinput.h"
#include "support/map_files.h"
#include "util/rand_utils.h"

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {

// Half-turn map, numbered by the pair rule: box 0 takes (0,3) and gives (2,2) to box 1, and the
// half-turn partners do the same between boxes 8 and 7.
Matrix<int, 9> rot_map() {
    const int box_number[9] = {1, 3, 5, 7, 9, 8, 6, 4, 2};
    Matrix<int, 9> m{};
    for (int r = 0; r < 9; ++r)
        for (int c = 0; c < 9; ++c) m[r][c] = box_number[square_group_map[r][c]];
    m[0][3] = 1, m[2][2] = 3, m[8][5] = 2, m[6][6] = 4;
    return m;
}

// Mirror map about row 4, numbered by the mirror rule: the same trade, mirrored into boxes 6 and 7.
Matrix<int, 9> mir_map() {
    const int box_number[9] = {1, 3, 5, 7, 8, 9, 2, 4, 6};
    Matrix<int, 9> m{};
    for (int r = 0; r < 9; ++r)
        for (int c = 0; c < 9; ++c) m[r][c] = box_number[square_group_map[r][c]];
    m[0][3] = 1, m[2][2] = 3, m[8][3] = 2, m[6][2] = 4;
    return m;
}

bool same_partition(const Matrix<int, 9>& a, const Matrix<int, 9>& b) {
    for (int i = 0; i < 81; ++i)
        for (int j = i + 1; j < 81; ++j)
            if ((a[i / 9][i % 9] == a[j / 9][j % 9]) != (b[i / 9][i % 9] == b[j / 9][j % 9])) return false;
    return true;
}

// True when the partition is unchanged by the cell map f(r, c) -> (r', c').
template <typename F>
bool invariant_under(const Matrix<int, 9>& m, F f) {
    Matrix<int, 9> image{};
    for (int r = 0; r < 9; ++r)
        for (int c = 0; c < 9; ++c) {
            auto [r2, c2] = f(r, c);
            image[r2][c2] = m[r][c];
        }
    return same_partition(m, image);
}

bool numbered_by_first_appearance(const Matrix<int, 9>& m) {
    int next = 0;
    for (int k = 0; k < 81; ++k) {
        int v = m[k / 9][k % 9];
        if (v > next) return false;
        if (v == next) ++next;
    }
    return next == 9;
}

GroupMap loaded(const Bytes& record, int symmetry) {
    GroupMap gm{};
    gm.symmetry = symmetry;
    gm.compressize = static_cast<int>(record.size());
    std::copy(record.begin(), record.end(), gm.compressedMap);
    return gm;
}

TEST(GroupMapCompletion, HalfTurnRecordKeepsItsSymmetryInEveryOrientation) {
    const Bytes record = pack_record(rot_map(), 20);
    for (int t = 0; t < 4; ++t) {
        GroupMap gm = loaded(record, SYM_ROTATION);
        gm.completeRotationalMap(gm.unpackRecord());
        EXPECT_TRUE(same_partition(gm.groupMatrix, rot_map()));
        gm.orientRotationalMap(t);
        gm.finishNumbering();
        EXPECT_TRUE(gm.isNineGroupsOfNine());
        EXPECT_TRUE(numbered_by_first_appearance(gm.groupMatrix));
        EXPECT_TRUE(invariant_under(gm.groupMatrix, [](int r, int c) { return std::pair(8 - r, 8 - c); })) << t;
        EXPECT_FALSE(gm.mapIsSquareBoxes());
    }
}

TEST(GroupMapCompletion, MirrorRecordEndsSymmetricAboutColumnFour) {
    const Bytes record = pack_record(mir_map(), 22);
    for (int t = 0; t < 2; ++t) {
        GroupMap gm = loaded(record, SYM_MIRROR);
        gm.completeMirrorMap(gm.unpackRecord());
        EXPECT_TRUE(same_partition(gm.groupMatrix, mir_map()));
        EXPECT_TRUE(invariant_under(gm.groupMatrix, [](int r, int c) { return std::pair(8 - r, c); }));
        gm.orientMirrorMap(t);
        gm.finishNumbering();
        EXPECT_TRUE(gm.isNineGroupsOfNine());
        EXPECT_TRUE(invariant_under(gm.groupMatrix, [](int r, int c) { return std::pair(r, 8 - c); })) << t;
        EXPECT_EQ(gm.groupMatrix[0][0], 0);
    }
    // The random path covers both turns and keeps the numbering rule.
    std::set<int> corners;
    for (int i = 0; i < 40; ++i) {
        GroupMap gm = loaded(record, SYM_MIRROR);
        gm.binaryToIntegerMap();
        EXPECT_TRUE(numbered_by_first_appearance(gm.groupMatrix));
        corners.insert(gm.groupMatrix[8][0] * 10 + gm.groupMatrix[8][8]);
    }
    EXPECT_GE(corners.size(), 1u);
}

TEST(GroupMapCompletion, BoxLayoutInAnyNumberingIsRecognised) {
    Matrix<int, 9> column_first{};
    for (int r = 0; r < 9; ++r)
        for (int c = 0; c < 9; ++c) column_first[r][c] = 3 * (c / 3) + r / 3;
    GroupMap gm{};
    gm.groupMatrix = column_first;
    EXPECT_TRUE(gm.mapIsSquareBoxes());
    gm.groupMatrix = rot_map();
    EXPECT_FALSE(gm.mapIsSquareBoxes());

    Matrix<int, 9> tall{};  // groups as columns: longest runs are vertical
    for (int r = 0; r < 9; ++r)
        for (int c = 0; c < 9; ++c) tall[r][c] = c;
    gm.groupMatrix = tall;
    EXPECT_EQ(gm.dimWithLongestRun(), DIM_COL);
    gm.groupMatrix = square_group_map;
    EXPECT_EQ(gm.dimWithLongestRun(), DIM_ROW);
}

TEST(MapDirectory, PathsFromSettingOrEnvironment) {
    set_group_maps_dir("/d");
    EXPECT_EQ(get_full_filename("mir01", "z"), "/d/mir01.z");
    set_group_maps_dir("/d/");
    EXPECT_EQ(get_full_filename("mir01", "z"), "/d/mir01.z");
    setenv("SUDOKU_GROUP_MAPS_DIR", "/e", 1);
    EXPECT_EQ(get_full_filename("rot_3grp02", "z"), "/d/rot_3grp02.z") << "the setting wins";
    set_group_maps_dir(nullptr);
    EXPECT_EQ(get_full_filename("rot_3grp02", "z"), "/e/rot_3grp02.z");
    unsetenv("SUDOKU_GROUP_MAPS_DIR");
    CaptureStderr();
    EXPECT_EQ(get_full_filename("mir01", "z"), "");
    EXPECT_EQ(get_full_filename("mir01", "z"), "");
    std::string err = GetCapturedStderr();
    EXPECT_LE(err.size(), std::string("Filenames: no group-maps directory configured").size() + 100);
}

TEST(ZippedFiles, BoundsAndFailures) {
    TempDir dir;
    const std::string p = dir.str() + "/f.z";
    uint64_t length = 12345;
    EXPECT_EQ(get_zipped_file_contents(dir.str() + "/missing.z", &length, 100), nullptr);
    write_file(p, {});
    EXPECT_EQ(get_zipped_file_contents(p, &length, 100), nullptr);
    write_file(p, {'n', 'o', 't', ' ', 'z', 'l', 'i', 'b'});
    EXPECT_EQ(get_zipped_file_contents(p, &length, 100), nullptr);
    Bytes raw(kGroupMapFileLimit, 'a');
    Bytes packed = zlib_compress(raw);
    write_file(p, Bytes(packed.begin(), packed.end() - 6));  // truncated stream
    EXPECT_EQ(get_zipped_file_contents(p, &length, kGroupMapFileLimit), nullptr);
    EXPECT_EQ(length, 12345u);

    write_file(p, packed);  // exactly the limit
    unsigned char* got = get_zipped_file_contents(p, &length, kGroupMapFileLimit);
    ASSERT_NE(got, nullptr);
    EXPECT_EQ(length, static_cast<uint64_t>(kGroupMapFileLimit));
    EXPECT_EQ(got[kGroupMapFileLimit - 1], 'a');
    std::free(got);
    raw.push_back('a');  // one byte over
    write_file(p, zlib_compress(raw));
    EXPECT_EQ(get_zipped_file_contents(p, &length, kGroupMapFileLimit), nullptr);
}

// Every bad file below makes all four attempts fail: the box map with the fall-back flag.
struct BadFile {
    const char* what;
    Bytes compressed;
    const char* message;
};

TEST(GroupMapFiles, BrokenFilesFallBackToTheBoxes) {
    const Bytes good_rec = pack_record(rot_map(), 20);
    Bytes bad_magic = map_file_content("ROT", 20, 1, {good_rec});
    bad_magic[7] = '2';
    Bytes zero_nibble(20, 0x00);
    const BadFile cases[] = {
        {"bad magic", zlib_compress(bad_magic), "bad header"},
        {"unknown kind", zlib_compress(map_file_content("XYZ", 20, 1, {good_rec})), "ok=0"},
        {"record size 41", zlib_compress(map_file_content("MIR", 41, 1, {Bytes(41, 0x11)})), "compressize=41"},
        {"record size 0", zlib_compress(map_file_content("MIR", 0, 1, {})), "compressize=0"},
        {"no records", zlib_compress(map_file_content("ROT", 20, 0, {})), "nMaps=0"},
        {"count beyond the data", zlib_compress(map_file_content("ROT", 20, 50, {good_rec})), "nMaps=50"},
        {"short header", zlib_compress(Bytes{'S', 'G', 'M'}), "bad header"},
        {"nibble 0", zlib_compress(map_file_content("ROT", 20, 1, {zero_nibble})), "not nine groups"},
        {"box layout", zlib_compress(map_file_content("ROT", 20, 1, {pack_record([] {
             const int n[9] = {1, 3, 5, 7, 9, 8, 6, 4, 2};
             Matrix<int, 9> m{};
             for (int k = 0; k < 81; ++k) m[k / 9][k % 9] = n[square_group_map[k / 9][k % 9]];
             return m;
         }(), 20)})), "square box map; retrying"},
        {"garbage", Bytes(300, 0x5a), "couldn't read"},
    };
    for (const BadFile& bad : cases) {
        TempDir dir;
        write_all_map_files(dir.str(), bad.compressed);
        set_group_maps_dir(dir.str().c_str());
        GroupMap gm{};
        gm.mapType = MAP_IRREGULAR;
        CaptureStderr();
        gm.initMap();
        std::string err = GetCapturedStderr();
        EXPECT_TRUE(gm.fellBackToSquare) << bad.what;
        EXPECT_EQ(gm.mapType, MAP_IRREGULAR);
        EXPECT_TRUE(gm.mapIsSquareBoxes()) << bad.what;
        EXPECT_NE(err.find(bad.message), std::string::npos) << bad.what << ": " << err;
        EXPECT_NE(err.find("could not load an irregular map after 4 attempts"), std::string::npos);
        for (int c : gm.colorMap) EXPECT_TRUE(c >= 0 && c < 4);
    }
    set_group_maps_dir(nullptr);
}

TEST(GroupMapFiles, GoodFileIsDrawnAndCompleted) {
    TempDir dir;
    write_all_map_files(dir.str(), zlib_compress(map_file_content("ROT", 20, 3,
                                                                   {pack_record(rot_map(), 20),
                                                                    pack_record(rot_map(), 20),
                                                                    pack_record(rot_map(), 20)})));
    set_group_maps_dir(dir.str().c_str());
    GroupMap gm{};
    gm.mapType = MAP_IRREGULAR;
    gm.initMap();
    set_group_maps_dir(nullptr);
    EXPECT_FALSE(gm.fellBackToSquare);
    EXPECT_EQ(gm.symmetry, SYM_ROTATION);
    EXPECT_EQ(gm.nMaps, 3);
    EXPECT_TRUE(gm.isNineGroupsOfNine());
    EXPECT_FALSE(gm.mapIsSquareBoxes());
}

TEST(GroupMapFiles, UnknownMapTypeChangesNothing) {
    GroupMap gm{};
    gm.mapType = static_cast<MAP_TYPE>(5);
    gm.groupMatrix[3][3] = 42;
    gm.colorMap[2] = 7;
    testing::internal::CaptureStdout();
    gm.initMap();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "initMapType: unknown mapType 5");
    EXPECT_EQ(gm.groupMatrix[3][3], 42);
    EXPECT_EQ(gm.colorMap[2], 7);
}

// Colour checks: edge-sharing groups differ unless partner says they are one region's halves.
void expect_good_colours(const GroupMap& gm, int (*partner)(int)) {
    for (int c : gm.colorMap) EXPECT_TRUE(c >= 0 && c < 4);
    for (int r = 0; r < 9; ++r)
        for (int c = 0; c < 9; ++c) {
            int g = gm.groupMatrix[r][c];
            const int right = c < 8 ? gm.groupMatrix[r][c + 1] : g;
            const int below = r < 8 ? gm.groupMatrix[r + 1][c] : g;
            for (int h : {right, below}) {
                if (h == g) continue;
                bool partners = partner && (partner(g) == h);
                if (!partners) {
                    EXPECT_NE(gm.colorMap[g], gm.colorMap[h]) << g << " touches " << h;
                }
            }
        }
}

TEST(ColourMaps, SymmetricMapsColourPartnersAlike) {
    for (int run = 0; run < 50; ++run) {
        GroupMap gm = loaded(pack_record(rot_map(), 20), SYM_ROTATION);
        gm.mapType = MAP_IRREGULAR;
        gm.binaryToIntegerMap();
        gm.makeColorMap();
        static GroupMap* cur;
        cur = &gm;
        auto half_turn_partner = [](int g) {
            for (int k = 0; k < 81; ++k)
                if (cur->groupMatrix[k / 9][k % 9] == g) return cur->groupMatrix[8 - k / 9][8 - k % 9];
            return -1;
        };
        expect_good_colours(gm, half_turn_partner);
        for (int k = 0; k < 81; ++k)
            EXPECT_EQ(gm.colorMap[gm.groupMatrix[k / 9][k % 9]], gm.colorMap[gm.groupMatrix[8 - k / 9][8 - k % 9]]);

        GroupMap mir = loaded(pack_record(mir_map(), 22), SYM_MIRROR);
        mir.mapType = MAP_IRREGULAR;
        mir.binaryToIntegerMap();
        mir.makeColorMap();
        for (int k = 0; k < 81; ++k)
            EXPECT_EQ(mir.colorMap[mir.groupMatrix[k / 9][k % 9]], mir.colorMap[mir.groupMatrix[k / 9][8 - k % 9]]);
    }
}

TEST(ColourMaps, SquareChequerAndThreeToFour) {
    GroupMap sq{};
    sq.mapType = MAP_SQUARE;
    sq.initMap();
    EXPECT_EQ(sq.colorMap[0], sq.colorMap[8]);
    EXPECT_NE(sq.colorMap[0], sq.colorMap[1]);

    // Colours 0,1,2 used 4,3,2 times: colour 3 goes to the top-left group and its partner.
    GroupMap gm = loaded(pack_record(rot_map(), 20), SYM_ROTATION);
    gm.completeRotationalMap(gm.unpackRecord());
    gm.finishNumbering();
    const int three[9] = {0, 1, 0, 1, 2, 0, 2, 1, 0};
    std::copy(three, three + 9, gm.colorMap);
    gm.change_3_color_map_to_4();
    EXPECT_EQ(gm.colorMap[gm.groupMatrix[0][0]], 3);
    EXPECT_EQ(gm.colorMap[gm.groupMatrix[8][8]], 3);
    int threes = 0;
    for (int c : gm.colorMap) threes += c == 3;
    EXPECT_EQ(threes, 2);

    // Without a partner rule only the top-left group changes: the far corner may touch it.
    gm.symmetry = SYM_NONE;
    std::copy(three, three + 9, gm.colorMap);
    gm.change_3_color_map_to_4();
    threes = 0;
    for (int c : gm.colorMap) threes += c == 3;
    EXPECT_EQ(threes, 1);

    // Three colours three times each: the centre group takes the fourth.
    const int even[9] = {0, 1, 2, 0, 1, 2, 0, 1, 2};
    std::copy(even, even + 9, gm.colorMap);
    gm.change_3_color_map_to_4();
    EXPECT_EQ(gm.colorMap[gm.groupMatrix[4][4]], 3);
}

TEST(ColourMaps, TooManyNodesGetTheFixedMap) {
    GroupMap gm{};
    gm.symmetry = SYM_NONE;
    for (int k = 0; k < 81; ++k) gm.groupMatrix[k / 9][k % 9] = k % 10;
    CaptureStderr();
    gm.makeIrregColorMap();
    EXPECT_NE(GetCapturedStderr().find("nNodes=10 > GAMESIZE=9"), std::string::npos);
    const int fixed[9] = {0, 1, 2, 3, 0, 1, 2, 3, 0};
    for (int g = 0; g < 9; ++g) EXPECT_EQ(gm.colorMap[g], fixed[g]);
}

}  // namespace
