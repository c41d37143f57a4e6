// Where the group-map files lie: a process-wide directory, or the environment.
#pragma once

#include <string>

// Sets the map directory for the whole process; null clears it.
void set_group_maps_dir(const char* dir);
// dir + "/" + name + "." + extension, from the set directory or else $SUDOKU_GROUP_MAPS_DIR;
// the empty string (with a one-time complaint) when neither is known.
std::string get_full_filename(const char* name, const char* extension);
