// Words shown to the player.
#include "names.h"
#include "translate.h"

#include <cstdio>

namespace ui {

std::string bucket_title(const frontend::Engine& engine, int bucket) {
    const char* word = engine.gen_bucket_name ? engine.gen_bucket_name(bucket) : nullptr;
    std::string s = word && *word ? word : "custom";
    for (char& c : s)
        if (c == '_') c = ' ';
    if (!s.empty() && s[0] >= 'a' && s[0] <= 'z') s[0] = static_cast<char>(s[0] - 'a' + 'A');
    // The titles the engine's words become, listed for the translators.
    static const char* const kTitles[] = {N_("Quickie"), N_("Easy"), N_("Moderately easy"), N_("Moderate"),
                                          N_("Moderately hard"), N_("Hard"), N_("Vicious"), N_("Fiendish"),
                                          N_("Hell"), N_("Beyond hell"), N_("Custom")};
    (void)kTitles;
    return _(s.c_str());
}

std::string kind_title(int map_kind, int adjacency) {
    std::string s = map_kind == 1 ? _("Jigsaw") : _("Square");
    if (adjacency == 1) s += " X";
    return s;
}

std::string technique_title(int method) {
    switch (method) {
    case 0: return _("Naked single");
    case 1: case 32: case 33: return _("Hidden single");
    case 2: case 34: case 35: case 53: return _("Locked candidates");
    case 3: case 36: case 37: case 38: case 39: case 40: case 41: return _("Naked or hidden subset");
    case 4: return _("Double restriction");
    case 5: case 20: case 21: case 22: case 23: return _("Almost locked sets");
    case 7: return _("X-wing");
    case 8: return _("Swordfish");
    case 9: return _("Jellyfish");
    case 10: case 42: case 43: case 44: return _("X-chain");
    case 11: return _("XY-chain");
    case 12: case 13: return _("XY-wing");
    case 14: return _("XYZ-wing");
    case 17: case 15: case 6: return _("Franken fish");
    case 18: case 19: return _("Finned fish");
    case 25: return _("Turbot fish");
    case 26: return _("Forcing net");
    case 27: return _("Trial and error");
    case 51: return _("W-wing");
    default: return _("Technique ") + std::to_string(method);
    }
}

const char* bucket_techniques(int bucket) {
    static const char* const kNeeds[10] = {
        N_("naked singles, many givens"), N_("naked singles"), N_("hidden singles"),
        N_("locked candidates, naked pairs"), N_("triples and quads"), N_("double restriction, X-wing"),
        N_("swordfish, turbot fish"), N_("XY/XYZ-wings, W-wing, jellyfish, X-chains"),
        N_("XY-chains, almost locked sets, Franken fish"), N_("forcing nets or trial and error")};
    return bucket >= 0 && bucket < 10 ? _(kNeeds[bucket]) : "";
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
