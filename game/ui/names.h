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
// The name of a technique number as the classification reports it per cell ("Hidden single").
std::string technique_title(int method);
// What a difficulty bucket asks of the player, in a few words ("X-wing or double restriction").
const char* bucket_techniques(int bucket);
// 75000 -> "1:15", 3725000 -> "1:02:05".
std::string format_time(int64_t ms);

}  // namespace ui
