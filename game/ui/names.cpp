// Words shown to the player.
#include "names.h"

#include <cstdio>

namespace ui {

std::string bucket_title(const frontend::Engine& engine, int bucket) {
    const char* word = engine.gen_bucket_name ? engine.gen_bucket_name(bucket) : nullptr;
    std::string s = word && *word ? word : "custom";
    for (char& c : s)
        if (c == '_') c = ' ';
    if (!s.empty() && s[0] >= 'a' && s[0] <= 'z') s[0] = static_cast<char>(s[0] - 'a' + 'A');
    return s;
}

std::string kind_title(int map_kind, int adjacency) {
    std::string s = map_kind == 1 ? "Jigsaw" : "Square";
    if (adjacency == 1) s += " X";
    return s;
}

std::string technique_title(int method) {
    switch (method) {
    case 0: return "Naked single";
    case 1: case 32: case 33: return "Hidden single";
    case 2: case 34: case 35: case 53: return "Locked candidates";
    case 3: case 36: case 37: case 38: case 39: case 40: case 41: return "Naked or hidden subset";
    case 4: return "Double restriction";
    case 5: case 20: case 21: case 22: case 23: return "Almost locked sets";
    case 7: return "X-wing";
    case 8: return "Swordfish";
    case 9: return "Jellyfish";
    case 10: case 42: case 43: case 44: return "X-chain";
    case 11: return "XY-chain";
    case 12: case 13: return "XY-wing";
    case 14: return "XYZ-wing";
    case 17: case 15: case 6: return "Franken fish";
    case 18: case 19: return "Finned fish";
    case 25: return "Turbot fish";
    case 26: return "Forcing net";
    case 27: return "Trial and error";
    case 51: return "W-wing";
    default: return "Technique " + std::to_string(method);
    }
}

const char* bucket_techniques(int bucket) {
    static const char* const kNeeds[10] = {
        "naked singles, many givens", "naked singles", "hidden singles", "locked candidates, naked pairs",
        "triples and quads", "double restriction, X-wing", "swordfish, turbot fish",
        "XY/XYZ-wings, W-wing, jellyfish, X-chains", "XY-chains, almost locked sets, Franken fish",
        "forcing nets or trial and error"};
    return bucket >= 0 && bucket < 10 ? kNeeds[bucket] : "";
}

std::string format_time(int64_t ms) {
    const int64_t s = ms / 1000;
    char buf[32];
    if (s >= 3600)
        std::snprintf(buf, sizeof buf, "%lld:%02lld:%02lld", static_cast<long long>(s / 3600),
                      static_cast<long long>(s / 60 % 60), static_cast<long long>(s % 60));
    else
        std::snprintf(buf, sizeof buf, "%lld:%02lld", static_cast<long long>(s / 60), static_cast<long long>(s % 60));
    return buf;
}

}  // namespace ui
