// The pool generator's exported C++ entry points and the records they take and give: a harvest (one
// solution dug down through every bucket) and a targeted search (one bucket). For front ends that
// link the library (quorvel) and for those that bind the two mangled names at run time (the game).
#pragma once

#include <cstddef>
#include <cstdint>

// What a harvest or a targeted search is asked for.
struct GenParams {
    int32_t map_kind;             // 1: irregular map (also handed to the classifier as its map type)
    int32_t adjacency;            // 1: x adjacency
    int32_t target_bucket;        // generate_targeted: the bucket 0..9 wanted
    int64_t classify_node_limit;  // node budget of each classification while digging; <= 0: none
    int32_t max_attempts;         // generate_targeted: attempts 0..max_attempts are made; < 0: none
    int32_t solution_deadline_ms; // per solution; <= 0: none
    int64_t time_budget_ms;       // overall, steady clock; <= 0: none
    uint32_t seed;                // dig order seed; 0 picks the call's default
};
static_assert(sizeof(GenParams) == 48);
static_assert(offsetof(GenParams, classify_node_limit) == 16);
static_assert(offsetof(GenParams, seed) == 40);

// One dig: the solution it started from and the last grid it met in each bucket.
struct HarvestResult {
    uint8_t ok;  // 1 when a solution was made
    int32_t solution[81];
    int32_t groups[81];
    int32_t color_map[9];
    uint8_t bucket_filled[10];
    int32_t bucket_clues[10][81];  // digit of each clue, 0 for an empty cell
    int32_t bucket_clue_count[10];
    int64_t classify_calls;
    int64_t elapsed_ms;
};
static_assert(sizeof(HarvestResult) == 4000);
static_assert(offsetof(HarvestResult, solution) == 4);
static_assert(offsetof(HarvestResult, groups) == 328);
static_assert(offsetof(HarvestResult, color_map) == 652);
static_assert(offsetof(HarvestResult, bucket_filled) == 688);
static_assert(offsetof(HarvestResult, bucket_clues) == 700);
static_assert(offsetof(HarvestResult, bucket_clue_count) == 3940);
static_assert(offsetof(HarvestResult, classify_calls) == 3984);
static_assert(offsetof(HarvestResult, elapsed_ms) == 3992);

// A search for one bucket: the puzzle found, or the closest one met.
struct TargetedResult {
    uint8_t ok;  // 1 when a puzzle of exactly the target bucket was found
    int32_t clues[81];
    int32_t solution[81];
    int32_t groups[81];
    int32_t clue_count;
    int32_t bucket;   // -1 when no attempt gave a classifiable puzzle
    int32_t attempt;  // number of the last attempt started
    int64_t classify_calls;
    int64_t elapsed_ms;
};
static_assert(offsetof(TargetedResult, clues) == 4);
static_assert(offsetof(TargetedResult, clue_count) == 976);
static_assert(offsetof(TargetedResult, classify_calls) == 992);
static_assert(sizeof(TargetedResult) == 1008);

HarvestResult generate_harvest(const GenParams& params);
TargetedResult generate_targeted(const GenParams& params);
