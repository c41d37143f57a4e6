// The player's preferences, kept as "key=value" lines in the game's data folder.
#pragma once

#include <string>

namespace game {

enum class LookChoice { Follow, Light, Dark };

struct Settings {
    LookChoice look = LookChoice::Follow;  // follow the desktop's dark preference, or fixed
    bool sounds = true;
    bool check = false;       // show wrong digits against the solution
    bool highlight = true;    // tint the selected cell's houses and equal digits
    int map_kind = 0, adjacency = 0, bucket = 1;  // the last new-game choice

    std::string encode() const;
    // Reads encode's text; unknown keys and bad values keep their defaults. Never fails.
    static Settings decode(const std::string& text);
};

}  // namespace game
