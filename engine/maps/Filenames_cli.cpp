// The map directory and the full paths of map files.
#include "maps/Filenames_cli.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace {

// The directory may be changed by one thread while others generate: every reader takes its own
// copy under the lock, so a change never frees a string another thread is still reading.
std::mutex s_dir_mutex;
std::string s_group_maps_dir;
std::atomic<bool> complained{false};

std::string group_maps_dir() {
    std::lock_guard<std::mutex> lock(s_dir_mutex);
    return s_group_maps_dir;
}

}  // namespace

void set_group_maps_dir(const char* dir) {
    std::string value = dir ? dir : "";
    std::lock_guard<std::mutex> lock(s_dir_mutex);
    s_group_maps_dir.swap(value);
}

std::string get_full_filename(const char* name, const char* extension) {
    std::string dir = group_maps_dir();
    if (dir.empty()) {
        const char* env = std::getenv("SUDOKU_GROUP_MAPS_DIR");
        if (env) dir = env;
    }
    if (dir.empty()) {
        // Several threads may find the directory missing at once; only the first one says so.
        if (!complained.exchange(true)) {
            std::fprintf(stderr,
                         "Filenames: no group-maps directory configured — set $SUDOKU_GROUP_MAPS_DIR or call "
                         "set_group_maps_dir().\n");
        }
        return {};
    }
    if (dir.back() != '/') dir += '/';
    return dir + name + "." + extension;
}
