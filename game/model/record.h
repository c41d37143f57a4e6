// The engine's game record as the game stores it: 5184 cell bytes, nine colours, kind and quality.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace game {

constexpr size_t kCellBytes = 5184;   // the 81 cells, as sudoku_get_puzzle_bytes gives them
constexpr size_t kRecordBytes = 5232; // cells, nine int32 colours, map kind, adjacency, quality
constexpr size_t kCellStride = 64;    // bytes per cell in the cell block

// Field offsets inside one cell of the cell block (the engine's fixed storage layout).
constexpr size_t kCellSolution = 40;
constexpr size_t kCellStatus = 44;
constexpr size_t kCellMarks = 48;
constexpr size_t kCellAnswer = 52;
constexpr size_t kCellSmallMode = 56;

struct GameRecord {
    unsigned char bytes[kRecordBytes];

    int32_t word(size_t offset) const {
        int32_t v;
        std::memcpy(&v, bytes + offset, sizeof v);
        return v;
    }
    void set_word(size_t offset, int32_t v) { std::memcpy(bytes + offset, &v, sizeof v); }
    int32_t color(int group) const { return word(kCellBytes + 4 * static_cast<size_t>(group)); }
    int map_kind() const { return word(kCellBytes + 36); }
    int adjacency() const { return word(kCellBytes + 40); }
    int quality() const { return word(kCellBytes + 44); }
};
static_assert(sizeof(GameRecord) == kRecordBytes);
static_assert(kCellBytes == 81 * kCellStride);

}  // namespace game
