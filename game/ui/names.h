// Words shown to the player: difficulty buckets, kinds, times.
#pragma once

#include <cstdint>
#include <string>

#include "engine.h"

namespace ui {

// "moderately_easy" -> "Moderately easy"; the engine's own bucket words, readable.
std::string bucket_title(const frontend::Engine& engine, int bucket);
// "Square", "Jigsaw", with " X" for the diagonal rules.
std::string kind_title(int map_kind, int adjacency);
// 75000 -> "1:15", 3725000 -> "1:02:05".
std::string format_time(int64_t ms);

}  // namespace ui
