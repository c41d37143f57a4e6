// Puzzle content for the pictures: a shuffled complete grid, clues, a jigsaw map, player marks.
#include <algorithm>
#include <cstring>

#include "render_internal.h"

namespace render {
namespace {

template <class T>
void shuffle(Rng& rng, T* a, int n) {
  for (int i = n - 1; i > 0; --i) std::swap(a[i], a[rng.below(i + 1)]);
}

// A complete grid valid for rows, columns and 3x3 boxes: the standard band pattern with its
// digits, rows within bands, bands, columns within stacks and stacks shuffled, maybe transposed.
void make_solution(Rng& rng, int out[81]) {
  int digit[9], row[9], col[9], band[3], stack[3];
  for (int i = 0; i < 9; ++i) digit[i] = i + 1;
  for (int i = 0; i < 3; ++i) band[i] = stack[i] = i;
  shuffle(rng, digit, 9);
  shuffle(rng, band, 3);
  shuffle(rng, stack, 3);
  for (int b = 0; b < 3; ++b) {
    int inner_r[3] = {0, 1, 2}, inner_c[3] = {0, 1, 2};
    shuffle(rng, inner_r, 3);
    shuffle(rng, inner_c, 3);
    for (int k = 0; k < 3; ++k) {
      row[b * 3 + k] = band[b] * 3 + inner_r[k];
      col[b * 3 + k] = stack[b] * 3 + inner_c[k];
    }
  }
  bool transpose = rng.chance(0.5);
  for (int r = 0; r < 9; ++r)
    for (int c = 0; c < 9; ++c) {
      int br = row[r], bc = col[c];
      int v = digit[(br * 3 + br / 3 + bc) % 9];
      out[transpose ? c * 9 + r : r * 9 + c] = v;
    }
}

// Completes a grid whose houses are the rows, the columns, the given regions and, when asked, the
// two long diagonals. Depth-first; each step branches on the narrowest choice: the cell with the
// fewest open digits, or the house and digit with the fewest open cells (a hidden single is a
// choice of one), in random order. Gives up after `budget` steps: some maps have no grid at all.
struct Filler {
  Rng& rng;
  int houses;
  int cells_of[29][9];  // rows 0..8, columns 9..17, regions 18..26, diagonals 27 and 28
  int house_of[81][5];  // the houses of a cell, -1 for none
  int used[29];         // digits taken per house, bit d-1
  int grid[81];
  long budget;

  int open(int i) const {
    int m = 0;
    for (int h : house_of[i])
      if (h >= 0) m |= used[h];
    return ~m & 0x1FF;
  }
  void put(int i, int d) {
    grid[i] = d + 1;
    for (int h : house_of[i])
      if (h >= 0) used[h] |= 1 << d;
  }
  void take(int i, int d) {
    grid[i] = 0;
    for (int h : house_of[i])
      if (h >= 0) used[h] &= ~(1 << d);
  }
  bool run() {
    if (--budget < 0) return false;
    int cand[81], best_cell = -1, best_n = 10;
    for (int i = 0; i < 81; ++i) {
      cand[i] = grid[i] ? 0 : open(i);
      if (grid[i]) continue;
      int n = __builtin_popcount(cand[i]);
      if (n < best_n) best_cell = i, best_n = n;
    }
    if (best_cell < 0) return true;
    if (best_n == 0) return false;
    int best_house = -1, best_digit = 0;
    for (int h = 0; h < houses && best_n > 1; ++h)
      for (int d = 0; d < 9; ++d) {
        if (used[h] >> d & 1) continue;
        int n = 0;
        for (int i : cells_of[h]) n += cand[i] >> d & 1;
        if (n == 0) return false;
        if (n < best_n) best_n = n, best_house = h, best_digit = d;
      }
    int opts[9], n = 0;
    if (best_house < 0) {
      for (int d = 0; d < 9; ++d)
        if (cand[best_cell] >> d & 1) opts[n++] = d;
    } else {
      for (int i : cells_of[best_house])
        if (cand[i] >> best_digit & 1) opts[n++] = i;
    }
    for (int k = n - 1; k > 0; --k) std::swap(opts[k], opts[rng.below(k + 1)]);
    for (int k = 0; k < n; ++k) {
      int cell = best_house < 0 ? best_cell : opts[k], d = best_house < 0 ? opts[k] : best_digit;
      put(cell, d);
      if (run()) return true;
      take(cell, d);
    }
    return false;
  }
};

bool fill_grid(Rng& rng, const int regions[81], bool diagonals, int out[81]) {
  Filler f{rng, diagonals ? 29 : 27, {}, {}, {}, {}, 1500};
  int fill[29] = {};
  for (int i = 0; i < 81; ++i) {
    int r = i / 9, c = i % 9;
    int* h = f.house_of[i];
    h[0] = r, h[1] = 9 + c, h[2] = 18 + regions[i];
    h[3] = diagonals && r == c ? 27 : -1;
    h[4] = diagonals && r + c == 8 ? 28 : -1;
    for (int k : f.house_of[i])
      if (k >= 0) f.cells_of[k][fill[k]++] = i;
  }
  if (!f.run()) return false;
  std::copy(f.grid, f.grid + 81, out);
  return true;
}

void renumber(int regions[81]) {
  int map[9];
  std::fill(map, map + 9, -1);
  int next = 0;
  for (int i = 0; i < 81; ++i) {
    int& m = map[regions[i]];
    if (m < 0) m = next++;
    regions[i] = m;
  }
}

bool connected(const int regions[81], int region) {
  int stack[81], n = 0, seen = 0, start = -1, total = 0;
  bool mark[81] = {};
  for (int i = 0; i < 81; ++i)
    if (regions[i] == region) {
      ++total;
      if (start < 0) start = i;
    }
  if (start < 0) return true;
  stack[n++] = start;
  mark[start] = true;
  while (n > 0) {
    int i = stack[--n];
    ++seen;
    int r = i / 9, c = i % 9;
    const int nb[4] = {r > 0 ? i - 9 : -1, r < 8 ? i + 9 : -1, c > 0 ? i - 1 : -1, c < 8 ? i + 1 : -1};
    for (int j : nb)
      if (j >= 0 && !mark[j] && regions[j] == region) {
        mark[j] = true;
        stack[n++] = j;
      }
  }
  return seen == total;
}

// Neighbouring cell of `i` in direction d (0 up, 1 down, 2 left, 3 right), or -1.
int neighbour(int i, int d) {
  int r = i / 9, c = i % 9;
  switch (d) {
    case 0: return r > 0 ? i - 9 : -1;
    case 1: return r < 8 ? i + 9 : -1;
    case 2: return c > 0 ? i - 1 : -1;
    default: return c < 8 ? i + 1 : -1;
  }
}

}  // namespace

void make_jigsaw(Rng& rng, int regions[81]) {
  for (int i = 0; i < 81; ++i) regions[i] = (i / 27) * 3 + (i % 9) / 3;
  // Swap pairs of cells across a shared border, keeping every region whole, until the boxes are gone.
  int swaps = 0, want = rng.range(40, 90);
  for (int tries = 0; tries < 4000 && swaps < want; ++tries) {
    int a = rng.below(81), b = neighbour(a, rng.below(4));
    if (b < 0 || regions[a] == regions[b]) continue;
    int ra = regions[a], rb = regions[b];
    // A second pair moving the other way keeps sizes equal: a cell of rb touching ra.
    int cands[81], n = 0;
    for (int i = 0; i < 81; ++i) {
      if (regions[i] != rb || i == b) continue;
      for (int d = 0; d < 4; ++d) {
        int j = neighbour(i, d);
        if (j >= 0 && j != a && regions[j] == ra) {
          cands[n++] = i;
          break;
        }
      }
    }
    if (n == 0) continue;
    int c = cands[rng.below(n)];
    // Move a into rb and c into ra.
    regions[a] = rb;
    regions[c] = ra;
    if (connected(regions, ra) && connected(regions, rb)) {
      ++swaps;
    } else {
      regions[a] = ra;
      regions[c] = rb;
    }
  }
  renumber(regions);
}

int colour_regions(Rng& rng, const int regions[81], int max_colours, int colour_of[9]) {
  bool adj[9][9] = {};
  for (int i = 0; i < 81; ++i)
    for (int d = 1; d < 4; d += 2) {
      int j = neighbour(i, d);
      if (j >= 0 && regions[i] != regions[j]) adj[regions[i]][regions[j]] = adj[regions[j]][regions[i]] = true;
    }
  int order[9];
  for (int i = 0; i < 9; ++i) order[i] = i;
  shuffle(rng, order, 9);
  std::fill(colour_of, colour_of + 9, -1);
  int used = 0;
  for (int k = 0; k < 9; ++k) {
    int r = order[k];
    // Prefer the allowed colours from a random start; beyond them only when every one clashes.
    int start = rng.below(max_colours);
    for (int t = 0; t < 9 && colour_of[r] < 0; ++t) {
      int col = t < max_colours ? (start + t) % max_colours : t;
      bool clash = false;
      for (int o = 0; o < 9; ++o)
        if (adj[r][o] && colour_of[o] == col) clash = true;
      if (!clash) colour_of[r] = col;
    }
    used = std::max(used, colour_of[r] + 1);
  }
  return used;
}

void make_content(Rng& rng, bool jigsaw, bool diagonals, bool marks, bool full_notes, Content& c) {
  std::memset(&c, 0, sizeof c);
  c.jigsaw = jigsaw;
  c.diagonals = diagonals;
  for (int i = 0; i < 81; ++i) c.regions[i] = (i / 27) * 3 + (i % 9) / 3;
  make_solution(rng, c.solution);
  // A jigsaw map or marked diagonals want a grid of their own; a map without one (or slow to
  // fill) is redrawn. Random maps rarely admit distinct diagonals as well, so after a few tries
  // the diagonals may repeat a digit; after more, the map keeps the box grid's digits.
  bool done = !jigsaw && !diagonals;
  for (int attempt = 0; !done && attempt < 10; ++attempt) {
    if (jigsaw) make_jigsaw(rng, c.regions);
    done = fill_grid(rng, c.regions, diagonals && attempt < 3, c.solution);
  }
  int cells[81];
  for (int i = 0; i < 81; ++i) cells[i] = i;
  shuffle(rng, cells, 81);
  int clues = rng.range(20, 38);
  for (int k = 0; k < clues; ++k) c.givens[cells[k]] = c.solution[cells[k]];
  if (!marks) return;
  // Player entries: some of the empty cells, mostly right, the odd one wrong.
  int entries = rng.range(0, (81 - clues) / 2);
  for (int k = clues; k < clues + entries; ++k) {
    int i = cells[k];
    int v = c.solution[i];
    if (rng.chance(0.05)) v = v % 9 + 1;
    c.entries[i] = v;
  }
  // Pencil marks: the digits still open for a cell, all of them (an app's notes) or a few.
  double p_note = full_notes ? 0.9 : rng.uniform(0.2, 0.7);
  for (int k = clues + entries; k < 81; ++k) {
    int i = cells[k];
    if (!rng.chance(p_note)) continue;
    int open = 0x1FF, r = i / 9, col = i % 9;
    for (int j = 0; j < 81; ++j) {
      int v = c.givens[j] ? c.givens[j] : c.entries[j];
      if (v && (j / 9 == r || j % 9 == col || c.regions[j] == c.regions[i])) open &= ~(1 << (v - 1));
    }
    open |= 1 << (c.solution[i] - 1);
    if (!full_notes) {
      int keep = rng.range(1, 4);
      int mask = 1 << (c.solution[i] - 1);
      for (int t = 0; t < 12 && __builtin_popcount(mask) < keep; ++t) mask |= open & (1 << rng.below(9));
      open = mask;
    }
    c.pencil[i] = open;
  }
}

}  // namespace render
