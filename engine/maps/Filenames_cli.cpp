// The map directory and the full paths of map files.
#include "maps/Filenames_cli.h"

#include <cstdio>
#include <cstdlib>

namespace {

std::string s_group_maps_dir;
bool complained = false;

}  // namespace

void set_group_maps_dir(const char* dir) { s_group_maps_dir = dir ? dir : ""; }

std::string get_full_filename(const char* name, const char* extension) {
    std::string dir = s_group_maps_dir;
    if (dir.empty()) {
        const char* env = std::getenv("SUDOKU_GROUP_MAPS_DIR");
        if (env) dir = env;
    }
    if (dir.empty()) {
        if (!complained) {
            complained = true;
            std::fprintf(stderr,
                         "Filenames: no group-maps directory configured — set $SUDOKU_GROUP_MAPS_DIR or call "
                         "set_group_maps_dir().\n");
        }
        return {};
    }
    if (dir.back() != '/') dir += '/';
    return dir + name + "." + extension;
}
