// Technique and difficulty names as the front ends show them to people (in English; the game
// looks them up in the player's language).
#pragma once

#include <string>

namespace frontend {

// Technique names come from the engine's technique table (ladder places 0..15, 16 the search).

// The technique number at a ladder place 0..16; naked singles for any other place.
int ladder_method(int level);
// The short name of a technique of places 0..15 ("x-wing"), or a technique number 0..27; -1 for
// anything else.
int parse_technique(const char* text);
// The short name of a technique number on the ladder ("x-wing", "search"), "technique" for others.
const char* technique_name(int method);
// The name of a technique number or counter slot as a player reads it ("Hidden single"); the
// solver's variants of a technique share its name. "Technique N" for a number the table lacks.
std::string technique_title(int method);

// A bucket word made readable: "moderately_easy" -> "Moderately easy"; "custom" for none.
std::string bucket_title(const char* word);

}  // namespace frontend
