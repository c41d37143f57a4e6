// The names of techniques and difficulties.
#include "labels.h"

#include <cstdlib>
#include <cstring>

namespace frontend {

const char* const kLadderNames[kLadderLevels] = {
    "naked-single", "hidden-single", "locked-candidates", "subsets", "double-restriction", "x-wing",
    "swordfish",    "turbot",        "xy-wing",           "w-wing",  "jellyfish",          "x-chain",
    "xy-chain",     "als",           "franken-fish",      "forcing-net"};

int ladder_method(int level) {
    return level >= 0 && level < kLadderLevels ? kLadder[level] : level == kLadderLevels ? kSearchMethod : 0;
}

int parse_technique(const char* text) {
    for (int i = 0; i < kLadderLevels; ++i)
        if (!std::strcmp(text, kLadderNames[i])) return kLadder[i];
    char* end = nullptr;
    const long long v = std::strtoll(text, &end, 10);
    return end != text && *end == 0 && v >= 0 && v <= kSearchMethod ? static_cast<int>(v) : -1;
}

const char* technique_name(int method) {
    for (int i = 0; i < kLadderLevels; ++i)
        if (kLadder[i] == method) return kLadderNames[i];
    return method == kSearchMethod ? "search" : "technique";
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

std::string bucket_title(const char* word) {
    std::string s = word && *word ? word : "custom";
    for (char& c : s)
        if (c == '_') c = ' ';
    if (!s.empty() && s[0] >= 'a' && s[0] <= 'z') s[0] = static_cast<char>(s[0] - 'a' + 'A');
    return s;
}

}  // namespace frontend
