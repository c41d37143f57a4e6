// The player's statistics per difficulty and kind: played, won, best and average time.
#pragma once

#include <cstdint>
#include <string>

namespace game {

struct Tally {
    int played = 0;
    int won = 0;
    int64_t best_ms = 0;   // 0 until the first win
    int64_t total_ms = 0;  // summed over won games
    int hints = 0;         // hints taken, over all games
    int64_t average_ms() const { return won ? total_ms / won : 0; }
};

struct Statistics {
    Tally by[2][2][10];  // [map kind][adjacency][bucket]

    Tally& at(int map_kind, int adjacency, int bucket);
    void record_start(int map_kind, int adjacency, int bucket);
    void record_win(int map_kind, int adjacency, int bucket, int64_t ms);
    void record_hint(int map_kind, int adjacency, int bucket) { ++at(map_kind, adjacency, bucket).hints; }

    // One line per tally that has games: "map adjacency bucket played won best total hints".
    std::string encode() const;
    // Reads encode's text; bad lines are skipped. Never fails.
    static Statistics decode(const std::string& text);
};

}  // namespace game
