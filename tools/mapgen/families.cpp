// Family bands, the quick-fill test and the constrained random walk that fills one file.
#include "families.h"

#include <algorithm>
#include <array>

#include "solver.h"
#include "walk.h"

namespace mapgen {

Wildness wildness(const Map& m) {
  auto share = box_shares(m);
  std::sort(share.begin(), share.end());
  int sum = 0;
  for (int s : share) sum += s;
  return Wildness{share[0], share[kGroups / 2], kCells - sum};
}

const std::vector<Family>& families() {
  static const std::vector<Family> table = {
      // Mirror maps by displacement, from gentle bumps on the boxes to a wild third of the grid.
      // The bands are narrower in the middle, where most symmetric maps that fill quickly lie.
      {"mir01", Kind::Mirror, 0, 9, 1, 12},
      {"mir02", Kind::Mirror, 0, 9, 13, 16},
      {"mir03", Kind::Mirror, 0, 9, 17, 18},
      {"mir04", Kind::Mirror, 0, 9, 19, 20},
      {"mir05", Kind::Mirror, 0, 9, 21, 22},
      {"mir06", Kind::Mirror, 0, 9, 23, 24},
      {"mir07", Kind::Mirror, 0, 9, 25, 26},
      {"mir08", Kind::Mirror, 0, 9, 27, 28},
      {"mir09", Kind::Mirror, 0, 9, 29, 32},
      {"mir10", Kind::Mirror, 0, 9, 33, kCells},
      // Half-turn maps: gentle ones where every group keeps six or more cells of one box, then
      // wilder ones by the smallest share, the last two split by displacement.
      {"rot_2grp01", Kind::HalfTurn, 6, 9, 1, kCells},
      {"rot_3grp01", Kind::HalfTurn, 5, 5, 1, kCells},
      {"rot_3grp02", Kind::HalfTurn, 4, 4, 1, kCells},
      {"rot_3grp03", Kind::HalfTurn, 3, 3, 1, 37},
      {"rot_3grp04", Kind::HalfTurn, 0, 3, 38, kCells},
  };
  return table;
}

const Family* find_family(const std::string& name) {
  for (const auto& f : families())
    if (name == f.name) return &f;
  return nullptr;
}

namespace {

std::uint64_t fingerprint(const Map& m) {
  std::uint64_t h = 0xCBF29CE484222325ull;  // FNV-1a
  for (auto v : m) h = (h ^ v) * 0x100000001B3ull;
  return h;
}

// How far a map is on the gentle side of the family's band, in displacement cells (a step of
// the smallest share counts as four); 0 inside the band or wilder.
int gentler_than_band(const Family& f, const Wildness& w) {
  return 4 * std::max(0, w.min_share - f.min_share_hi) + std::max(0, f.displacement_lo - w.displacement);
}

bool wilder_than_band(const Family& f, const Wildness& w) {
  return w.min_share < f.min_share_lo || w.displacement > f.displacement_hi;
}

constexpr int kGentleMargin = 4;
constexpr std::uint32_t kGentlerOdds = 4;   // a step back towards the boxes is taken 1 time in 4
constexpr long kRestartAfter = 3000;       // proposals without a step before the walk restarts
constexpr long kProposalsPerMap = 20000;   // the walk counts as stalled beyond this many per map

}  // namespace

FillReport quick_fill(const Map& m) {
  const Map c = canonical(m);
  const std::uint64_t seed = fingerprint(c);
  FillReport report;
  for (bool x : {true, false}) {  // the diagonals reject far more maps, so they go first
    Rng order(seed ^ (x ? 0x5851F42D4C957F2Dull : 0));
    std::array<long, 8> nodes{};
    int failed = 0;
    for (int t = 0; t < 8; ++t) {
      const auto r = find_solution(dihedral(c, t), x, kFillCap, &order);
      nodes[t] = r.solved ? r.nodes : kFillCap + 1;
      if (!r.solved && ++failed > 8 - kFillsNeeded) return report;
    }
    std::sort(nodes.begin(), nodes.end());
    (x ? report.median_x : report.median_regular) = nodes[4];
    (x ? report.capped_x : report.capped_regular) = failed;
  }
  report.passed = true;
  return report;
}

bool generate_family(const Family& f, int count, std::uint64_t seed, std::set<Map>& seen,
                     GeneratedFile& out) {
  const Symmetry s = symmetry_of(f.kind);
  Rng rng(seed);
  Map current = box_map();
  Wildness here = wildness(current);
  long since_kept = kThinning, since_step = 0;
  while (static_cast<int>(out.maps.size()) < count) {
    if (out.proposals > kProposalsPerMap * count) return false;
    if (since_step > kRestartAfter) {
      // Stuck where every move fails the fill test or leaves the band: go back to the last map
      // kept, or to the boxes before the first one.
      current = out.maps.empty() ? box_map() : out.maps.back();
      here = wildness(current);
      since_step = 0;
    }
    Map next = current;
    if (!try_swap(next, s, rng)) continue;
    ++out.proposals;
    ++since_step;
    const Wildness w = wildness(next);
    if (wilder_than_band(f, w)) continue;
    const int gentle = gentler_than_band(f, w);
    if (gentle > kGentleMargin && gentle > gentler_than_band(f, here) && rng.below(kGentlerOdds) != 0)
      continue;
    const FillReport fill = quick_fill(next);
    if (!fill.passed) continue;
    current = next;
    here = w;
    since_step = 0;
    ++out.steps;
    ++since_kept;
    if (since_kept < kThinning || !f.accepts(w) || is_box_partition(current)) continue;
    if (!seen.insert(canonical(current)).second) continue;
    out.maps.push_back(current);
    out.fills.push_back(fill);
    since_kept = 0;
  }
  return true;
}

}  // namespace mapgen
