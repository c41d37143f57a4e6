// Opening libquorvel at run time and binding its calls by name.
#include "engine.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "install_dirs.h"

namespace frontend {

namespace {

bool exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

template <typename F>
bool bind(void* lib, const char* name, F& slot, std::string& missing) {
    void* p = dlsym(lib, name);
    if (!p) {
        if (!missing.empty()) missing += ", ";
        missing += name;
        return false;
    }
    slot = reinterpret_cast<F>(p);
    return true;
}

}  // namespace

std::string default_engine_path() {
    if (const char* env = std::getenv("QUADRILLO_ENGINE"); env && *env) return env;
    const std::string dir = executable_dir();
    const std::string beside = dir + "/lib/libquorvel.so";
    if (exists(beside)) return beside;
    const std::string sibling = dir + "/../lib/libquorvel.so";
    if (exists(sibling)) return sibling;
    const std::string installed = installed_library_dir() + "/libquorvel.so";
    if (exists(installed)) return installed;
    return beside;
}

bool load_engine(const std::string& path, Engine& out, std::string& error) {
    if (!exists(path)) {
        error = "The puzzle engine was not found: " + path + " is missing.";
        return false;
    }
    void* lib = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!lib) {
        const char* why = dlerror();
        error = "The puzzle engine " + path + " could not be loaded: " + (why ? why : "unknown reason") + ".";
        return false;
    }
    Engine e;
    std::string missing;
#define BIND(name) bind(lib, #name, e.name, missing)
    BIND(sudoku_new);
    BIND(sudoku_free);
    BIND(sudoku_cancel);
    BIND(sudoku_set_deadline_ms);
    BIND(sudoku_get_cell);
    BIND(sudoku_get_color_map);
    BIND(sudoku_same_group_right);
    BIND(sudoku_same_group_below);
    BIND(sudoku_are_neighbors);
    BIND(sudoku_get_puzzle_bytes);
    BIND(sudoku_set_puzzle_bytes);
    BIND(sudoku_setup_loaded);
    BIND(sudoku_restart);
    BIND(sudoku_generate);
    BIND(sudoku_build_from_clues);
    BIND(sudoku_set_group_maps_dir);
    BIND(sudoku_seed_thread);
    BIND(sudoku_set_user_answer);
    BIND(sudoku_toggle_elim_bit);
    BIND(sudoku_toggle_small_mode);
    BIND(sudoku_digit_assistant_all);
    BIND(sudoku_digit_assistant_update);
    BIND(sudoku_digit_assistant_hide);
    BIND(sudoku_get_state);
    BIND(sudoku_distance);
    BIND(sudoku_maxed_digits);
    BIND(sudoku_ocr_recognize);
    BIND(sudoku_ocr_regions);
    BIND(sudoku_ocr_detect_x);
    BIND(sudoku_classify_clues);
    BIND(sudoku_classify_handle);
    BIND(sudoku_generate_harvest);
    BIND(sudoku_harvest_solution);
    BIND(sudoku_harvest_groupmap);
    BIND(sudoku_harvest_colormap);
    BIND(sudoku_harvest_clues);
    BIND(sudoku_desired_queue_depth);
    BIND(sudoku_queue_load);
    BIND(sudoku_queue_free);
    BIND(sudoku_queue_game_count);
    BIND(sudoku_queue_get_game);
    BIND(gen_bucket_name);
    BIND(sudoku_next_step);
#undef BIND
    // The targeted search is a C++ entry point; its exported name is the mangled one.
    bind(lib, "_Z17generate_targetedRK9GenParams", e.generate_targeted, missing);
    if (!missing.empty()) {
        dlclose(lib);
        error = "The puzzle engine " + path + " is incomplete: it lacks " + missing + ".";
        return false;
    }
    e.library = lib;
    e.library_path = path;
    // The data sits beside the library in the build tree; an installed library has it in the
    // shared data folder. When neither has the maps, the folder beside the library is named.
    const size_t slash = path.rfind('/');
    e.data_dir = slash == std::string::npos ? std::string(".") : path.substr(0, slash);
    if (!exists(e.data_dir + "/group_maps") && exists(installed_data_dir() + "/group_maps"))
        e.data_dir = installed_data_dir();
    e.maps_dir = e.data_dir + "/group_maps";
    e.sudoku_set_group_maps_dir(e.maps_dir.c_str());
    out = e;
    return true;
}

void unload_engine(Engine& engine) {
    if (engine.library) dlclose(engine.library);
    engine.library = nullptr;
}

}  // namespace frontend
