// The album blob: stored solutions, puzzles and games behind a short text header, and its reader.
#pragma once

#include <cstddef>
#include <cstdint>

#include "puzzle/Puzzle.h"

// One stored game: the first 5232 bytes of a Puzzle, byte for byte.
struct PuzzleData {
    PUZZLE_CELL cells[N_CELLS];
    int32_t color_map[9];
    MAP_TYPE map_type;
    ADJACENCY_TYPE adjacency;
    UI_QUALITY quality;
};
static_assert(sizeof(PuzzleData) == GAME_RECORD_BYTES);
static_assert(offsetof(PuzzleData, color_map) == offsetof(Puzzle, color_map));
static_assert(offsetof(PuzzleData, map_type) == offsetof(Puzzle, map_type));
static_assert(offsetof(PuzzleData, adjacency) == offsetof(Puzzle, adjacency));
static_assert(offsetof(PuzzleData, quality) == offsetof(Puzzle, quality));

constexpr size_t kAlbumHeaderBytes = 80;
constexpr unsigned kAlbumMaxRecords = 9999;  // the widest count a four-place header field holds
constexpr int kAlbumFileLimit = 2097152;     // inflated bytes accepted from an album file

// An album: the whole blob, header included, in `buffer` (owned, malloc'd), and its three counts.
// A constructor asked for more than kAlbumMaxRecords of a kind, or whose allocation fails, leaves an
// empty object: null buffer, all counts 0.
struct queue_data {
    unsigned char* buffer;
    uint32_t num_solutions;
    uint32_t num_puzzles;
    uint32_t num_games;

    queue_data(unsigned solutions, unsigned puzzles, unsigned games);
    ~queue_data();
    queue_data(const queue_data&) = delete;
    queue_data& operator=(const queue_data&) = delete;

    // Rewrites the 80 header bytes from the counts.
    void generate_header();
    // Copies a record into slot i of its section; false (nothing written) when i is outside it.
    bool set_solution(const PuzzleData& record, int i);
    bool set_puzzle(const PuzzleData& record, int i);
    bool set_game(const PuzzleData& record, int i);
    // Record i of a section, or null when i is outside it.
    const PuzzleData* solution(int i) const;
    const PuzzleData* puzzle(int i) const;
    const PuzzleData* game(int i) const;

    const void* as_data(size_t& length) const;
    void get_data(void*& solutions, size_t& solutions_length, void*& puzzles, size_t& puzzles_length, void*& games,
                  size_t& games_length) const;
    const void* data_array() const;
    size_t data_length() const;
    size_t total_length() const;

    // Reads the three counts of a header of at least 20 bytes; false for a wrong magic or a count
    // field that is not blanks followed by digits.
    static bool parse_header(const void* blob, unsigned& solutions, unsigned& puzzles, unsigned& games);
    // A new album holding a copy of the blob, or null when the header, the length or any record is bad.
    static queue_data* from_data(const void* blob, size_t length);
};

// True when a stored record can be loaded into a handle without any later call leaving the grid:
// kind words 0 or 1, quality 0..9, every cell's position words those of its index, nine groups of
// nine cells, house rings as the grid's own groups make them, digits 1..9, answers 0..9 and marks
// within the nine digits.
// `scratch` is working space (any contents; its cells are overwritten).
bool album_record_is_sound(const PuzzleData& record, Puzzle& scratch);

// Reads "<map directory>/<name>.z", inflating at most kAlbumFileLimit bytes; null when unreadable or bad.
queue_data* queue_data_from_zipped_file(const char* name);
