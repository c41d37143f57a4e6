// The engine as a front end sees it: the library opened at run time and its calls as a table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "ffi/quorvel.h"
#include "ffi/quorvel_pool.h"

namespace frontend {

// The engine's search for one difficulty bucket (its exported generate_targeted), by the engine's
// own records.
using TargetParams = GenParams;
using TargetResult = TargetedResult;

// The exported calls a front end uses, each under its own name.
struct Engine {
    void* library = nullptr;
    std::string library_path;  // the file that was opened
    std::string data_dir;      // the folder with group_maps/ and help/
    std::string maps_dir;      // its group_maps, handed to the engine at load

    SudokuHandle* (*sudoku_new)();
    void (*sudoku_free)(SudokuHandle*);
    void (*sudoku_cancel)(SudokuHandle*);
    void (*sudoku_set_deadline_ms)(SudokuHandle*, int);
    void (*sudoku_get_cell)(SudokuHandle*, int, SudokuCellInfo*);
    void (*sudoku_get_color_map)(SudokuHandle*, int*);
    int (*sudoku_same_group_right)(SudokuHandle*, int);
    int (*sudoku_same_group_below)(SudokuHandle*, int);
    int (*sudoku_are_neighbors)(SudokuHandle*, int, int);
    void (*sudoku_get_puzzle_bytes)(SudokuHandle*, void*);
    void (*sudoku_set_puzzle_bytes)(SudokuHandle*, const void*);
    void (*sudoku_setup_loaded)(SudokuHandle*, int, int);
    void (*sudoku_restart)(SudokuHandle*);
    int (*sudoku_generate)(SudokuHandle*, int, int, int, int);
    int (*sudoku_build_from_clues)(SudokuHandle*, int, int, int, const int*, const int*, const int*, const int*);
    void (*sudoku_set_group_maps_dir)(const char*);
    void (*sudoku_seed_thread)(unsigned long long);
    void (*sudoku_set_user_answer)(SudokuHandle*, int, int, int, int);
    void (*sudoku_toggle_elim_bit)(SudokuHandle*, int, int);
    void (*sudoku_toggle_small_mode)(SudokuHandle*, int);
    void (*sudoku_digit_assistant_all)(SudokuHandle*);
    void (*sudoku_digit_assistant_update)(SudokuHandle*);
    void (*sudoku_digit_assistant_hide)(SudokuHandle*);
    int (*sudoku_get_state)(SudokuHandle*, int*);
    int (*sudoku_distance)(SudokuHandle*);
    void (*sudoku_maxed_digits)(SudokuHandle*, int*);
    int (*sudoku_ocr_recognize)(const unsigned char*, int, int, int, int*);
    int (*sudoku_ocr_regions)(const unsigned char*, int, int, int, int*);
    int (*sudoku_ocr_detect_x)(const unsigned char*, int, int, int);
    int (*sudoku_classify_clues)(const int*, const int*, int, int, ClassifyInfo*);
    int (*sudoku_classify_handle)(SudokuHandle*, int, int, ClassifyInfo*);
    int (*sudoku_generate_harvest)(void*, int, int, int, int, int);
    void (*sudoku_harvest_solution)(int*);
    void (*sudoku_harvest_groupmap)(int*);
    void (*sudoku_harvest_colormap)(int*);
    int (*sudoku_harvest_clues)(int, int*);
    int (*sudoku_desired_queue_depth)(int, int, int);
    SudokuAlbum* (*sudoku_queue_load)(const void*, size_t);
    void (*sudoku_queue_free)(SudokuAlbum*);
    int (*sudoku_queue_game_count)(const SudokuAlbum*);
    int (*sudoku_queue_get_game)(const SudokuAlbum*, int, void*, int*, int*, int*, int*);
    const char* (*gen_bucket_name)(int);
    int (*sudoku_next_step)(const int*, const int*, const int*, const int*, int, int, long, SudokuStep*);
    TargetResult (*generate_targeted)(const TargetParams&);
};

// Where the engine is looked for: $QUADRILLO_ENGINE when set, else lib/libquorvel.so beside the
// executable, else ../lib/libquorvel.so (the build tree's layout), else the installed library.
std::string default_engine_path();

// Opens the library at `path` and fills every entry of `out`; on success also points the engine at
// the group_maps folder beside the library (or in the installed data folder). False with a sentence for the player in `error` when
// the file is missing or not loadable, or a call is absent (the library stays closed then).
bool load_engine(const std::string& path, Engine& out, std::string& error);

// Closes the library; the table must not be used afterwards.
void unload_engine(Engine& engine);

}  // namespace frontend
