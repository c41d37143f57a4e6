// Tests of the map generator: geometry and symmetry, swaps, records and file format, the reader's
// completion, the search, the quick-fill test and the per-record verification.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "check.h"
#include "families.h"
#include "grid.h"
#include "mapfile.h"
#include "solver.h"
#include "walk.h"

using namespace mapgen;

namespace {

Map from_rows(const char* rows) {  // 81 digits, whitespace ignored
  Map m{};
  int i = 0;
  for (const char* p = rows; *p; ++p)
    if (*p >= '0' && *p <= '9') m[i++] = static_cast<std::uint8_t>(*p - '0');
  EXPECT_EQ(i, kCells);
  return m;
}

Map walked(Symmetry s, int moves, std::uint64_t seed) {
  Rng rng(seed);
  return random_walk(s, moves, rng);
}

Map zero_based(const Map& completed) {
  Map m{};
  for (int i = 0; i < kCells; ++i) m[i] = static_cast<std::uint8_t>(completed[i] - 1);
  return m;
}

}  // namespace

TEST(Grid, GroupValidityCatchesSizeAndConnectivity) {
  EXPECT_TRUE(groups_valid(box_map()));
  Map wrong_size = box_map();
  wrong_size[0] = 1;  // group 0 has 8 cells, group 1 has 10
  EXPECT_FALSE(groups_valid(wrong_size));
  Map split = box_map();
  std::swap(split[0], split[3]);  // sizes kept, but (0,0) joins group 1 far from it
  EXPECT_FALSE(groups_valid(split));
  Map out_of_range = box_map();
  out_of_range[80] = 9;
  EXPECT_FALSE(groups_valid(out_of_range));
}

TEST(Grid, BoxPartitionIgnoresNumberingButNotShape) {
  Map column_first{};
  for (int i = 0; i < kCells; ++i) column_first[i] = static_cast<std::uint8_t>(3 * ((i % 9) / 3) + (i / 9) / 3);
  EXPECT_TRUE(is_box_partition(column_first));
  EXPECT_FALSE(is_box_partition(walked(Symmetry::HalfTurn, 3, 1)));
}

TEST(Grid, SymmetryTablesMatchTheBoxLayout) {
  for (Symmetry s : {Symmetry::Mirror, Symmetry::HalfTurn}) {
    EXPECT_TRUE(symmetric_by_table(box_map(), s));
    for (int g = 0; g < kGroups; ++g) EXPECT_EQ(partner_group(s, partner_group(s, g)), g);
    for (int x = 0; x < kCells; ++x) EXPECT_EQ(partner_cell(s, partner_cell(s, x)), x);
  }
  EXPECT_EQ(partner_group(Symmetry::Mirror, 0), 6);
  EXPECT_EQ(partner_group(Symmetry::Mirror, 4), 4);
  EXPECT_EQ(partner_group(Symmetry::HalfTurn, 1), 7);
  EXPECT_EQ(partner_cell(Symmetry::Mirror, 2), 74);  // (0,2) -> (8,2)
}

TEST(Grid, CanonicalFormIsTheSameInEveryOrientation) {
  const Map m = walked(Symmetry::Mirror, 20, 7);
  for (int t = 0; t < 8; ++t) EXPECT_EQ(canonical(dihedral(m, t)), canonical(m)) << t;
  EXPECT_NE(canonical(m), canonical(walked(Symmetry::Mirror, 20, 8)));
  // The eight transforms are distinct on a map without symmetry of its own.
  Map marker{};
  marker[1] = 1;
  for (int a = 0; a < 8; ++a)
    for (int b = a + 1; b < 8; ++b) EXPECT_NE(dihedral(marker, a), dihedral(marker, b));
}

TEST(Grid, WildnessOfKnownMaps) {
  const Wildness box = wildness(box_map());
  EXPECT_EQ(box.min_share, 9);
  EXPECT_EQ(box.median_share, 9);
  EXPECT_EQ(box.displacement, 0);
  // Rows as groups: every group has three cells in each of three boxes.
  Map rows{};
  for (int i = 0; i < kCells; ++i) rows[i] = static_cast<std::uint8_t>(i / 9);
  const Wildness w = wildness(rows);
  EXPECT_EQ(w.min_share, 3);
  EXPECT_EQ(w.displacement, 81 - 27);
}

TEST(Walk, SwapsKeepEveryInvariant) {
  for (Symmetry s : {Symmetry::Mirror, Symmetry::HalfTurn}) {
    Rng rng(s == Symmetry::Mirror ? 11 : 12);
    Map m = box_map();
    int moved = 0;
    for (int attempt = 0; attempt < 20000 && moved < 300; ++attempt) {
      if (!try_swap(m, s, rng)) continue;
      ++moved;
      ASSERT_TRUE(groups_valid(m));
      ASSERT_TRUE(symmetric_by_table(m, s));
    }
    EXPECT_EQ(moved, 300) << "the walk should not get stuck";
    EXPECT_FALSE(is_box_partition(m));
    EXPECT_GE(wildness(m).displacement, 4);
  }
}

TEST(Walk, MirrorMapsKeepRowFourInSelfImageGroups) {
  const Map m = walked(Symmetry::Mirror, 200, 3);
  for (int c = 0; c < kSide; ++c) {
    const int g = m[4 * kSide + c];
    EXPECT_EQ(partner_group(Symmetry::Mirror, g), g);
  }
}

TEST(Record, BoxLayoutPacksToTheDocumentedNibbles) {
  const Record rot = encode_record(box_map(), Kind::HalfTurn);
  ASSERT_EQ(rot.size(), 20u);
  EXPECT_EQ(rot[0], 0x11);  // cells 1, 2: box 0 -> 1
  EXPECT_EQ(rot[1], 0x33);  // cells 3, 4: box 1 -> 3 (its image, box 7, is 4)
  EXPECT_EQ(rot[19] & 0x0F, 9);  // cell 40, the centre
  const Record mir = encode_record(box_map(), Kind::Mirror);
  ASSERT_EQ(mir.size(), 22u);
  EXPECT_EQ(mir[3], 0x55);   // cells 7, 8: box 2 -> 5 (boxes 0/6 took 1-2, 1/7 took 3-4)
  EXPECT_EQ(mir[13], 0x77);  // cells 27, 28: box 3, the first self-image group -> 7
  EXPECT_EQ(mir[21], 0x99);  // cells 43, 44: box 5 -> 9
}

TEST(Record, CompletionRestoresEveryGeneratedMap) {
  for (Kind k : {Kind::Mirror, Kind::HalfTurn})
    for (std::uint64_t seed = 1; seed <= 40; ++seed) {
      const Map m = walked(symmetry_of(k), static_cast<int>(seed * 5), seed);
      const Record r = encode_record(m, k);
      const Map completed = complete_half(unpack_record(r.data(), record_size(k)), k);
      ASSERT_EQ(completed[0], 1);
      for (auto v : completed) ASSERT_TRUE(v >= 1 && v <= 9);
      ASSERT_EQ(renumber(zero_based(completed)), renumber(m)) << kind_tag(k) << " seed " << seed;
      if (k == Kind::HalfTurn) {
        ASSERT_EQ(completed[40], 9);
      }
    }
}

TEST(Record, OrientationsFollowTheReaderAndKeepSymmetry) {
  Map marker{};
  marker[8 * kSide] = 1;  // (8,0)
  EXPECT_EQ(orient(marker, Kind::Mirror, 0)[0], 1);       // clockwise: new(0,0) = old(8,0)
  EXPECT_EQ(orient(marker, Kind::Mirror, 1)[80], 1);      // counter-clockwise: new(8,8) = old(8,0)
  EXPECT_EQ(orient(marker, Kind::HalfTurn, 0)[72], 1);    // as is
  EXPECT_EQ(orient(marker, Kind::HalfTurn, 2)[8], 1);     // transpose: new(0,8) = old(8,0)
  EXPECT_EQ(orient(marker, Kind::HalfTurn, 3)[80], 1);    // left-right: new(8,8) = old(8,0)
  const Map mir = walked(Symmetry::Mirror, 60, 5);
  for (int t = 0; t < 2; ++t) EXPECT_TRUE(partition_symmetric_about_column4(orient(mir, Kind::Mirror, t)));
  const Map rot = walked(Symmetry::HalfTurn, 60, 5);
  for (int t = 0; t < 4; ++t) EXPECT_TRUE(partition_symmetric(orient(rot, Kind::HalfTurn, t), Symmetry::HalfTurn));
}

TEST(FileFormat, HeaderIsWhatTheReaderScans) {
  const std::vector<Record> records(500, Record(22, 0x11));
  const std::string content = file_content(Kind::Mirror, records);
  EXPECT_EQ(content.substr(0, 23), "SGM0.001MIR22       500");
  EXPECT_EQ(content.size(), 80u + 500u * 22u);
  EXPECT_EQ(content.substr(23, 57), std::string(57, ' '));
  const auto h = parse_header(content);
  ASSERT_TRUE(h);
  EXPECT_EQ(h->kind, Kind::Mirror);
  EXPECT_EQ(h->record_size, 22);
  EXPECT_EQ(h->count, 500);
  EXPECT_EQ(parse_header(file_content(Kind::HalfTurn, {Record(20, 0x12)}))->record_size, 20);

  std::string bad_magic = content;
  bad_magic[7] = '2';
  EXPECT_FALSE(parse_header(bad_magic));
  std::string bad_kind = content;
  bad_kind.replace(8, 3, "NON");
  EXPECT_FALSE(parse_header(bad_kind));
}

TEST(FileFormat, CompressedRoundTripAndLimit) {
  const auto dir = std::filesystem::temp_directory_path() / "mapgen_test_io";
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "x.z").string();
  const std::string content = file_content(Kind::HalfTurn, std::vector<Record>(100, Record(20, 0x34)));
  ASSERT_TRUE(write_compressed(path, content));
  EXPECT_EQ(read_compressed(path, kInflatedLimit), content);
  EXPECT_FALSE(read_compressed(path, content.size() - 1));  // longer than the buffer
  EXPECT_EQ(read_compressed(path, content.size()), content);

  std::ifstream in(path, std::ios::binary);
  std::string packed((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::ofstream(path, std::ios::binary | std::ios::trunc) << packed.substr(0, packed.size() - 4);
  EXPECT_FALSE(read_compressed(path, kInflatedLimit));  // stream without its end
  EXPECT_FALSE(read_compressed((dir / "missing.z").string(), kInflatedLimit));
  std::filesystem::remove_all(dir);
}

TEST(Solver, SolutionsAreValidWithAndWithoutDiagonals) {
  for (const Map& m : {box_map(), walked(Symmetry::HalfTurn, 30, 2), walked(Symmetry::Mirror, 30, 2)})
    for (bool x : {false, true}) {
      Rng order(9);
      bool found = false;
      for (int attempt = 0; attempt < 20 && !found; ++attempt) {
        Grid grid{};
        const auto r = find_solution(m, x, 100000, &order, &grid);
        if (r.solved) {
          found = true;
          EXPECT_TRUE(grid_is_solution(m, grid, x));
          EXPECT_GE(r.nodes, kCells);
        }
      }
      EXPECT_TRUE(found);
    }
}

TEST(Solver, ProvesImpossibleMapsAndHonoursTheCap) {
  // Group 0 is row 0 without its last cell plus (1,8): the digit missing from row 0's first eight
  // cells must go both to (0,8) and to (1,8), which share column 8.
  const Map impossible = from_rows(
      "000000001 111111110 222222222 333333333 444444444 555555555 666666666 777777777 888888888");
  const auto r = find_solution(impossible, false, 1000000, nullptr);
  EXPECT_FALSE(r.solved);
  EXPECT_FALSE(r.capped);
  const auto capped = find_solution(walked(Symmetry::HalfTurn, 40, 4), true, 10, nullptr);
  EXPECT_TRUE(capped.capped);
  EXPECT_FALSE(capped.solved);
  EXPECT_LE(capped.nodes, 11);
}

TEST(Solver, SolutionCheckSeesEveryHouse) {
  // The shifted-rows pattern is a valid regular grid for the boxes but repeats 5 on the main
  // diagonal, at (1,1) and (3,3).
  Grid grid{};
  for (int r = 0; r < kSide; ++r)
    for (int c = 0; c < kSide; ++c) grid[r * kSide + c] = (3 * (r % 3) + r / 3 + c) % 9 + 1;
  EXPECT_TRUE(grid_is_solution(box_map(), grid, false));
  EXPECT_FALSE(grid_is_solution(box_map(), grid, true));
  EXPECT_FALSE(grid_is_solution(walked(Symmetry::HalfTurn, 30, 2), grid, false));  // groups differ
  Grid bad = grid;
  std::swap(bad[0], bad[1]);  // rows stay right, columns break
  EXPECT_FALSE(grid_is_solution(box_map(), bad, false));
}

TEST(QuickFill, VerdictDoesNotDependOnOrientation) {
  EXPECT_TRUE(quick_fill(box_map()).passed);
  for (std::uint64_t seed = 1; seed <= 6; ++seed) {
    const Map m = walked(Symmetry::HalfTurn, 25, seed);
    const FillReport a = quick_fill(m);
    for (int t = 1; t < 8; ++t) {
      const FillReport b = quick_fill(dihedral(m, t));
      EXPECT_EQ(a.passed, b.passed);
      EXPECT_EQ(a.median_x, b.median_x);
    }
  }
}

TEST(Families, BandsAreDisjointWithinEachKind) {
  ASSERT_EQ(families().size(), 15u);
  EXPECT_STREQ(families()[0].name, "mir01");
  EXPECT_STREQ(families()[14].name, "rot_3grp04");
  for (const Family& a : families())
    for (const Family& b : families()) {
      if (&a == &b || a.kind != b.kind) continue;
      const bool share_overlap = a.min_share_lo <= b.min_share_hi && b.min_share_lo <= a.min_share_hi;
      const bool disp_overlap = a.displacement_lo <= b.displacement_hi && b.displacement_lo <= a.displacement_hi;
      EXPECT_FALSE(share_overlap && disp_overlap) << a.name << " and " << b.name;
    }
}

TEST(Families, GeneratedMapsAreDistinctAndInBand) {
  std::set<Map> seen;
  const Family& f = *find_family("rot_3grp01");
  GeneratedFile g;
  ASSERT_TRUE(generate_family(f, 12, 99, seen, g));
  ASSERT_EQ(g.maps.size(), 12u);
  EXPECT_EQ(seen.size(), 12u);
  std::set<Map> again;
  for (const Map& m : g.maps) {
    EXPECT_TRUE(f.accepts(wildness(m)));
    EXPECT_TRUE(again.insert(canonical(m)).second);
    const Record r = encode_record(m, f.kind);
    std::set<Map> fresh;
    EXPECT_EQ(record_problem(f, r.data(), fresh), nullptr);
  }
  // The same seed grows the same maps.
  std::set<Map> seen2;
  GeneratedFile g2;
  ASSERT_TRUE(generate_family(f, 12, 99, seen2, g2));
  EXPECT_EQ(g2.maps, g.maps);
}

TEST(Check, RecordProblemsAreFound) {
  std::set<Map> seen;
  const Family& mir = *find_family("mir01");
  GeneratedFile g;
  ASSERT_TRUE(generate_family(mir, 2, 5, seen, g));
  Record good = encode_record(g.maps[0], Kind::Mirror);
  std::set<Map> checked;
  EXPECT_EQ(record_problem(mir, good.data(), checked), nullptr);
  EXPECT_STREQ(record_problem(mir, good.data(), checked), "duplicate map");

  Record zero = good;
  zero[4] &= 0xF0;
  EXPECT_STREQ(record_problem(mir, zero.data(), checked), "group number outside 1..9");
  Record swapped = good;
  swapped[0] = static_cast<std::uint8_t>((good[0] & 0x0F) << 4 | good[0] >> 4);
  EXPECT_NE(record_problem(mir, swapped.data(), checked), nullptr);

  const Record box = encode_record(box_map(), Kind::Mirror);
  EXPECT_STREQ(record_problem(mir, box.data(), checked), "box layout");
  // A map of the wrong family lies outside that family's band.
  std::set<Map> other;
  EXPECT_STREQ(record_problem(*find_family("mir10"), good.data(), other), "outside the family's band");
}
