// The group map of a game: the box layout or a symmetric jigsaw map drawn from the map files.
#pragma once

#include <cstdint>

#include "maps/square_group_map.h"
#include "puzzle/Puzzle.h"

enum MAP_SYMMETRY : int32_t { SYM_MIRROR = 0, SYM_ROTATION = 1, SYM_NONE = 2 };

constexpr int kGroupMapFileLimit = 230000;  // largest inflated map file
constexpr int kGroupMapHeaderBytes = 80;
constexpr int kMaxRecordBytes = 40;
constexpr int kGroupMapFiles = 15;
constexpr int kMapAttempts = 4;

extern const char* const jigsawGroupMapFilenames[kGroupMapFiles];

struct GroupMap {
    Matrix<int, 9> groupMatrix;  // first member: a GroupMap can stand where a matrix is expected
    int32_t colorMap[9];
    MAP_TYPE mapType;
    bool fellBackToSquare;
    int32_t symmetry;     // MAP_SYMMETRY of the file last read
    int32_t compressize;  // bytes per packed record of that file
    int32_t nMaps;        // records in that file
    uint8_t compressedMap[kMaxRecordBytes];

    void initMap();
    bool get_random_compressed_group_map();
    bool parseHeader(const unsigned char* header);
    void binaryToIntegerMap();
    // The steps of binaryToIntegerMap: the stored cells (returns the first cell not stored), then
    // after completion the move to 0-based numbers in order of first appearance.
    int unpackRecord();
    void finishNumbering();
    void fillOutMirrorMap(int firstUnset);
    void fillOutRotationalMap(int firstUnset);
    // The two halves of each completion: the symmetric image, then one orientation t.
    void completeMirrorMap(int firstUnset);
    void orientMirrorMap(int t);           // 0: quarter turn clockwise, 1: counter-clockwise
    void completeRotationalMap(int firstUnset);
    void orientRotationalMap(int t);       // 0: as is, 1: quarter turn, 2: transpose, 3: mirror
    static void renumberGroupMap(Matrix<int, 9>& m);
    bool mapIsSquareBoxes() const;
    // True when every value is 0..8 and each occurs nine times.
    bool isNineGroupsOfNine() const;
    DIMENSION dimWithLongestRun() const;
    void makeColorMap();
    void print_group_map() const;
    void print_color_map() const;

    // Colouring (FourColorMap.cpp).
    void makeIrregColorMap();
    void reduceGroupMap(Matrix<int, 9>& m) const;
    static void fillAdjacencyMatrix(bool adj[9][9], const Matrix<int, 9>& m);
    void change_3_color_map_to_4();
};

static_assert(offsetof(GroupMap, groupMatrix) == 0);
static_assert(sizeof(Matrix<int, 9>) == 81 * sizeof(int));

// Backtracking colouring of at most nine nodes with three or four colours.
struct FourColorMap {
    int* colors;
    int nNodes;
    int nColors;

    bool mapColorsToNodes(int nColors, int nNodes, int* colors, bool adj[9][9]);
    void mapColorsToNodes(int nColors, int nNodes, int* colors, bool (*adjacent)(int, int));
    bool colorGroupRecursion(int node, bool adj[9][9]);
    bool checkValidity(int node, bool adj[9][9]) const;
};
