// The fifteen shipped map files: their families, the wildness measures that define them, the
// quick-fill test every map must pass, and the generation of one file's maps.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "grid.h"
#include "mapfile.h"
#include "rng.h"

namespace mapgen {

// Wildness of a map, from the box shares (see box_shares): the smallest share over the groups,
// the median share (the fifth smallest), and the displacement, the number of cells outside the
// box that holds most of their group (81 minus the sum of the shares). The box layout has 9, 9, 0.
struct Wildness {
  int min_share = 9;
  int median_share = 9;
  int displacement = 0;
};
Wildness wildness(const Map& m);

// A file and the band of wildness its maps fall in (bounds inclusive).
struct Family {
  const char* name;
  Kind kind;
  int min_share_lo, min_share_hi;
  int displacement_lo, displacement_hi;

  bool accepts(const Wildness& w) const {
    return w.min_share >= min_share_lo && w.min_share <= min_share_hi &&
           w.displacement >= displacement_lo && w.displacement <= displacement_hi;
  }
};

// In the order the files are generated; the reader's table lists them in the same order.
const std::vector<Family>& families();
const Family* find_family(const std::string& name);

// The search budget. A map passes the quick-fill test when, for the regular houses and again with
// both diagonals added, at least kFillsNeeded of eight random-order searches, one in each of the
// eight orientations of the square, find a solution within kFillCap digit placements (a search
// stops there). Every orientation takes part because the reader may show the map turned, and the
// cost of a search depends on the orientation as much as on the map. Not all eight must pass:
// random-order fills have a heavy tail even on the box layout, so a bound on the worst of a few
// runs would mostly measure luck.
constexpr long kFillCap = 4000;
constexpr int kFillsNeeded = 6;

struct FillReport {
  bool passed = false;
  long median_regular = 0;  // median placements of the eight runs, regular houses
  int capped_regular = 0;   // runs that hit the cap
  long median_x = 0;        // the same with both diagonals
  int capped_x = 0;
};

// The random orders are seeded from the map's canonical form, so the verdict belongs to the map
// and not to the orientation it is handed over in or to the generation run.
FillReport quick_fill(const Map& m);

struct GeneratedFile {
  std::vector<Map> maps;         // groups 0..8, as grown (unoriented)
  std::vector<FillReport> fills;
  long proposals = 0;            // swaps proposed to the walk
  long steps = 0;                // swaps the walk took
};

// Grows `count` maps for the family with a random walk over symmetric maps that all pass the
// quick-fill test, starting from the box layout. The walk is held near the family's band: it never
// becomes wilder than the band, and outside a small margin on the gentle side it takes only one
// in a few of the steps that lead further away from the band; when it finds no step for a long
// time it goes back to the last map kept. Every state in the band that is new (up to the eight symmetries of the
// square, checked against and added to `seen`) and at least kThinning steps after the last kept
// map is kept. Returns false if the walk stalls before `count` maps.
constexpr int kThinning = 2;
bool generate_family(const Family& f, int count, std::uint64_t seed, std::set<Map>& seen,
                     GeneratedFile& out);

}  // namespace mapgen
