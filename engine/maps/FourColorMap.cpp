// Colouring a map's groups with four colours: symmetric partners alike, edge neighbours apart.
#include <cstdio>
#include <cstring>

#include "maps/GroupMap.h"
#include "util/comb_util.h"
#include "util/rand_utils.h"

namespace {

constexpr int GAMESIZE = 9;

// Values of m renumbered 0, 1, 2, ... by first appearance in row-major order; returns how many.
int renumber_by_first_appearance(Matrix<int, 9>& m) {
    GroupMap::renumberGroupMap(m);
    int n = 0;
    for (int k = 0; k < N_CELLS; ++k)
        if (m[k / 9][k % 9] + 1 > n) n = m[k / 9][k % 9] + 1;
    return n;
}

}  // namespace

void GroupMap::reduceGroupMap(Matrix<int, 9>& m) const {
    if (symmetry != SYM_MIRROR && symmetry != SYM_ROTATION) return;  // no partner rule: nothing merges
    bool merged[10] = {};
    for (int a = 0; a < 9; ++a) {
        if (merged[a]) continue;
        int first = -1;
        for (int k = 0; k < N_CELLS && first < 0; ++k)
            if (m[k / 9][k % 9] == a) first = k;
        if (first < 0) continue;
        int r = first / 9, c = first % 9;
        int b = symmetry == SYM_MIRROR ? m[r][8 - c] : m[8 - r][8 - c];
        if (b == a) continue;
        for (int k = 0; k < N_CELLS; ++k)
            if (m[k / 9][k % 9] == b) m[k / 9][k % 9] = a;
        if (b >= 0 && b < 10) merged[b] = true;
    }
}

void GroupMap::fillAdjacencyMatrix(bool adj[9][9], const Matrix<int, 9>& m) {
    std::memset(adj, 0, sizeof(bool) * 81);
    auto link = [&](int a, int b) {
        if (a == b || a < 0 || b < 0 || a > 8 || b > 8) return;
        adj[a][b] = adj[b][a] = true;
    };
    for (int r = 0; r < 9; ++r)
        for (int c = 0; c < 9; ++c) {
            if (c < 8) link(m[r][c], m[r][c + 1]);
            if (r < 8) link(m[r][c], m[r + 1][c]);
        }
}

void GroupMap::makeIrregColorMap() {
    Matrix<int, 9> m = groupMatrix;
    reduceGroupMap(m);
    int nNodes = renumber_by_first_appearance(m);
    if (nNodes > GAMESIZE) {
        std::fprintf(stderr, "GroupMap::makeIrregColorMap: nNodes=%d > GAMESIZE=%d — bad map\n", nNodes,
                     GAMESIZE);
        const int fixed[9] = {0, 1, 2, 3, 0, 1, 2, 3, 0};
        std::memcpy(colorMap, fixed, sizeof colorMap);
        return;
    }
    bool adj[9][9];
    fillAdjacencyMatrix(adj, m);
    FourColorMap fcm;
    if (!fcm.mapColorsToNodes(4, nNodes, colorMap, adj)) {
        fillAdjacencyMatrix(adj, groupMatrix);
        if (!fcm.mapColorsToNodes(3, 9, colorMap, adj)) fcm.mapColorsToNodes(4, 9, colorMap, adj);
        return;
    }
    int perm[4];
    initialize_comb(4, perm);
    random_combination(4, 4, perm);
    int node_color[9];
    for (int n = 0; n < nNodes; ++n) node_color[n] = perm[colorMap[n]];
    for (int g = 0; g < 9; ++g) {
        for (int k = 0; k < N_CELLS; ++k) {
            if (groupMatrix[k / 9][k % 9] == g) {
                colorMap[g] = node_color[m[k / 9][k % 9]];
                break;
            }
        }
    }
    if (arc4random_uniform(4) != 0) change_3_color_map_to_4();
}

void GroupMap::change_3_color_map_to_4() {
    int count[4] = {};
    for (int g = 0; g < 9; ++g)
        if (colorMap[g] >= 0 && colorMap[g] < 4) ++count[colorMap[g]];
    int unused = -1;
    bool some_four = false;
    for (int c = 3; c >= 0; --c) {
        if (count[c] == 0) unused = c;
        if (count[c] == 4) some_four = true;
    }
    if (unused < 0) return;
    if (some_four) {
        colorMap[groupMatrix[0][0]] = unused;
        // Without a partner rule the far corner's group is a separate region that may touch it.
        if (symmetry == SYM_MIRROR)
            colorMap[groupMatrix[0][8]] = unused;
        else if (symmetry == SYM_ROTATION)
            colorMap[groupMatrix[8][8]] = unused;
    } else {
        colorMap[groupMatrix[4][4]] = unused;
    }
}

bool FourColorMap::mapColorsToNodes(int n_colors, int n_nodes, int* out, bool adj[9][9]) {
    colors = out;
    nNodes = n_nodes;
    nColors = n_colors;
    for (int i = 0; i < nNodes; ++i) colors[i] = 0;
    if (nNodes <= 0) return true;
    return colorGroupRecursion(nNodes - 1, adj);
}

void FourColorMap::mapColorsToNodes(int n_colors, int n_nodes, int* out, bool (*adjacent)(int, int)) {
    bool adj[9][9] = {};
    for (int i = 0; i < n_nodes - 1; ++i)
        for (int j = i; j < n_nodes; ++j) adj[i][j] = adj[j][i] = adjacent(i, j);
    mapColorsToNodes(n_colors, n_nodes, out, adj);
}

bool FourColorMap::colorGroupRecursion(int node, bool adj[9][9]) {
    int order[4];
    initialize_comb(nColors, order);
    random_combination(nColors, nColors, order);
    for (int i = 0; i < nColors; ++i) {
        colors[node] = order[i];
        if (!checkValidity(node, adj)) continue;
        if (node == 0 || colorGroupRecursion(node - 1, adj)) return true;
    }
    return false;
}

bool FourColorMap::checkValidity(int node, bool adj[9][9]) const {
    for (int other = node + 1; other < nNodes; ++other)
        if (adj[node][other] && colors[other] == colors[node]) return false;
    return true;
}
