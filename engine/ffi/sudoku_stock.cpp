// The exported stock calls: harvests kept per thread with their getters, stock depths, and album reading.
#include <cstring>

#include "album/queue_data.h"
#include "ffi/quorvel.h"
#include "generator/generator.h"

namespace {

// The last harvest made on this thread; zeros until the first one.
thread_local HarvestResult g_last_harvest;

}  // namespace

extern "C" {

int sudoku_generate_harvest(void* unused, int map_kind, int adjacency, int node_limit, int deadline_ms, int seed) {
    (void)unused;
    GenParams params{};
    params.map_kind = map_kind == 1 ? 1 : 0;
    params.adjacency = adjacency == 1 ? 1 : 0;
    params.target_bucket = 0;
    params.classify_node_limit = node_limit;
    params.max_attempts = 0;
    params.solution_deadline_ms = deadline_ms;
    params.time_budget_ms = 0;
    params.seed = static_cast<uint32_t>(seed);
    g_last_harvest = generate_harvest(params);
    if (!g_last_harvest.ok) return 0;
    int mask = 0;
    for (int b = 0; b < 10; ++b)
        if (g_last_harvest.bucket_filled[b]) mask |= 1 << b;
    return mask;
}

void sudoku_harvest_solution(int* out) {
    if (out) std::memcpy(out, g_last_harvest.solution, sizeof g_last_harvest.solution);
}

void sudoku_harvest_groupmap(int* out) {
    if (out) std::memcpy(out, g_last_harvest.groups, sizeof g_last_harvest.groups);
}

void sudoku_harvest_colormap(int* out) {
    if (out) std::memcpy(out, g_last_harvest.color_map, sizeof g_last_harvest.color_map);
}

int sudoku_harvest_clues(int bucket, int* out) {
    if (!out || static_cast<unsigned>(bucket) > 9 || !g_last_harvest.bucket_filled[bucket]) return -1;
    std::memcpy(out, g_last_harvest.bucket_clues[bucket], sizeof g_last_harvest.bucket_clues[bucket]);
    return g_last_harvest.bucket_clue_count[bucket];
}

int sudoku_desired_queue_depth(int map_kind, int adjacency, int bucket) {
    if (static_cast<unsigned>(map_kind) > 1 || static_cast<unsigned>(adjacency) > 1 || static_cast<unsigned>(bucket) > 9)
        return 3;
    return desiredPuzzleQueueSize[map_kind][adjacency][bucket];
}

queue_data* sudoku_queue_load(const void* bytes, size_t length) { return queue_data::from_data(bytes, length); }

void sudoku_queue_free(queue_data* album) { delete album; }

int sudoku_queue_game_count(const queue_data* album) { return album ? static_cast<int>(album->num_games) : 0; }

int sudoku_queue_get_game(const queue_data* album, int index, void* cells, int* colors, int* map_kind, int* adjacency,
                          int* quality) {
    if (!album || !cells || !colors || !map_kind || !adjacency || !quality) return 0;
    const PuzzleData* game = album->game(index);
    if (!game) return 0;
    std::memcpy(cells, game->cells, PUZZLE_BYTES);
    std::memcpy(colors, game->color_map, sizeof game->color_map);
    *map_kind = game->map_type;
    *adjacency = game->adjacency;
    *quality = game->quality;
    return 1;
}

}  // extern "C"
