// Bitmask backtracking that branches on the tightest choice (a cell with fewest digits or a
// digit with fewest places in a house), with a node cap.
#include "solver.h"

#include <bit>
#include <cstdint>

namespace mapgen {
namespace {

constexpr unsigned kAllDigits = 0x1FF;
constexpr int kMaxHouses = 29;  // 9 rows, 9 columns, 9 groups, 2 diagonals

struct Search {
  int house_total = 0;
  std::array<unsigned, kMaxHouses> used{};                      // digits placed in each house
  std::array<std::array<int, kSide>, kMaxHouses> members{};     // cells of each house
  std::array<std::array<int, 5>, kCells> houses{};              // houses of each cell
  std::array<int, kCells> house_count{};
  std::array<bool, kCells> filled{};
  std::array<int, kCells> value{};
  long nodes = 0;
  long cap = 0;
  Rng* order = nullptr;

  unsigned candidates(int cell) const {
    unsigned taken = 0;
    for (int h = 0; h < house_count[cell]; ++h) taken |= used[houses[cell][h]];
    return kAllDigits & ~taken;
  }

  void place(int cell, unsigned bit) {
    filled[cell] = true;
    value[cell] = std::countr_zero(bit) + 1;
    for (int h = 0; h < house_count[cell]; ++h) used[houses[cell][h]] |= bit;
  }
  void unplace(int cell, unsigned bit) {
    filled[cell] = false;
    for (int h = 0; h < house_count[cell]; ++h) used[houses[cell][h]] &= ~bit;
  }

  // Tries each (cell, digit) choice in turn: 1 solved, 0 none works, -1 node cap reached.
  int try_choices(std::array<int, kSide>& cells, std::array<int, kSide>& digits, int n, int empty) {
    if (order)
      for (int i = n - 1; i > 0; --i) {
        const int j = static_cast<int>(order->below(static_cast<unsigned>(i + 1)));
        std::swap(cells[i], cells[j]);
        std::swap(digits[i], digits[j]);
      }
    for (int i = 0; i < n; ++i) {
      if (++nodes > cap) return -1;
      const unsigned bit = 1u << digits[i];
      place(cells[i], bit);
      const int result = run(empty - 1);
      unplace(cells[i], bit);
      if (result != 0) return result;
    }
    return 0;
  }

  int run(int empty) {
    if (empty == 0) return 1;
    std::array<unsigned, kCells> cand{};
    int best_cell = -1, best_cell_count = 10;
    for (int cell = 0; cell < kCells; ++cell) {
      if (filled[cell]) continue;
      cand[cell] = candidates(cell);
      const int count = std::popcount(cand[cell]);
      if (count == 0) return 0;
      if (count < best_cell_count) {
        best_cell = cell;
        best_cell_count = count;
        if (count == 1) break;  // forced; any dead end shows up further down
      }
    }
    std::array<int, kSide> cells{}, digits{};
    if (best_cell_count > 1) {
      // A digit with fewer places left in some house than any cell has digits is the tighter
      // branch; a digit with no place left in its house is a dead end. Places are counted for
      // all nine digits at once with bit-sliced counters (ones, twos, fours, eights).
      int best_house = -1, best_digit = -1, best_places = best_cell_count;
      for (int h = 0; h < house_total && best_places > 1; ++h) {
        unsigned ones = 0, twos = 0, fours = 0, eights = 0;
        for (int cell : members[h]) {
          if (filled[cell]) continue;
          unsigned carry = cand[cell];
          const unsigned c1 = ones & carry;
          ones ^= carry;
          const unsigned c2 = twos & c1;
          twos ^= c1;
          const unsigned c4 = fours & c2;
          fours ^= c2;
          eights |= c4;
        }
        const unsigned open = kAllDigits & ~used[h];
        const unsigned high = fours | eights;
        if (open & ~(ones | twos | high)) return 0;
        const unsigned exactly[4] = {0, open & ones & ~twos & ~high, open & ~ones & twos & ~high,
                                     open & ones & twos & ~high};
        for (int places = 1; places < best_places && places <= 3; ++places)
          if (exactly[places]) {
            best_places = places;
            best_house = h;
            best_digit = std::countr_zero(exactly[places]);
            break;
          }
      }
      if (best_house >= 0) {
        int n = 0;
        for (int cell : members[best_house])
          if (!filled[cell] && (cand[cell] >> best_digit & 1)) {
            cells[n] = cell;
            digits[n++] = best_digit;
          }
        return try_choices(cells, digits, n, empty);
      }
    }
    int n = 0;
    for (unsigned set = cand[best_cell]; set; set &= set - 1) {
      cells[n] = best_cell;
      digits[n++] = std::countr_zero(set);
    }
    return try_choices(cells, digits, n, empty);
  }
};

}  // namespace

SearchResult find_solution(const Map& groups, bool x_diagonals, long node_cap, Rng* order,
                           Grid* solution) {
  Search s;
  s.cap = node_cap;
  s.order = order;
  s.house_total = x_diagonals ? kMaxHouses : 3 * kSide;
  std::array<int, kMaxHouses> size{};
  auto join = [&](int cell, int house) {
    s.houses[cell][s.house_count[cell]++] = house;
    s.members[house][size[house]++] = cell;
  };
  for (int cell = 0; cell < kCells; ++cell) {
    const int r = cell / kSide, c = cell % kSide;
    join(cell, r);
    join(cell, kSide + c);
    join(cell, 2 * kSide + groups[cell]);
    if (x_diagonals && r == c) join(cell, 3 * kSide);
    if (x_diagonals && r + c == kSide - 1) join(cell, 3 * kSide + 1);
  }
  const int result = s.run(kCells);
  if (result == 1 && solution) *solution = s.value;
  return SearchResult{result == 1, result < 0, s.nodes};
}

}  // namespace mapgen
