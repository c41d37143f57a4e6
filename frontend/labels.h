// Technique and difficulty names as the front ends show them to people (in English; the game
// looks them up in the player's language).
#pragma once

#include <string>

namespace frontend {

// The ladder's techniques in order of difficulty, as the solver's technique numbers; ladder level
// 16 is search (technique 27).
constexpr int kLadderLevels = 16;
constexpr int kLadder[kLadderLevels] = {0, 1, 2, 3, 4, 7, 8, 25, 12, 51, 9, 10, 11, 5, 17, 26};
constexpr int kSearchMethod = 27;
// Short names of the ladder's techniques, as command lines take and show them ("x-wing").
extern const char* const kLadderNames[kLadderLevels];

// The technique number of a ladder level: kLadder within it, search for 16, else naked singles.
int ladder_method(int level);
// A ladder name or a technique number 0..27; -1 for anything else.
int parse_technique(const char* text);
// The short name of a technique number: its ladder name, "search", or "technique" for the others.
const char* technique_name(int method);
// The name of a technique number as a player reads it ("Hidden single"); the solver's variants of
// a technique share its name.
std::string technique_title(int method);

// A bucket word made readable: "moderately_easy" -> "Moderately easy"; "custom" for none.
std::string bucket_title(const char* word);

}  // namespace frontend
