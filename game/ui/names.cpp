// Words shown to the player: the front ends' shared names, in the player's language.
#include "names.h"

#include <cstdio>

#include "labels.h"
#include "translate.h"

namespace ui {

std::string bucket_title(const frontend::Engine& engine, int bucket) {
    // The titles the engine's words become, listed for the translators.
    static const char* const kTitles[] = {N_("Quickie"), N_("Easy"), N_("Moderately easy"), N_("Moderate"),
                                          N_("Moderately hard"), N_("Hard"), N_("Vicious"), N_("Fiendish"),
                                          N_("Hell"), N_("Beyond hell"), N_("Custom")};
    (void)kTitles;
    return _(frontend::bucket_title(engine.gen_bucket_name ? engine.gen_bucket_name(bucket) : nullptr).c_str());
}

std::string kind_title(int map_kind, int adjacency) {
    std::string s = map_kind == 1 ? _("Jigsaw") : _("Square");
    if (adjacency == 1) s += " X";
    return s;
}

std::string technique_title(int method) {
    // The titles of the engine's technique table, listed for the translators.
    static const char* const kTitles[] = {
        N_("Naked single"), N_("Hidden single"), N_("Locked candidates"), N_("Naked or hidden subset"),
        N_("Double restriction"), N_("Almost locked sets"), N_("X-wing"), N_("Swordfish"), N_("Jellyfish"),
        N_("X-chain"), N_("XY-chain"), N_("XY-wing"), N_("XYZ-wing"), N_("Franken fish"), N_("Finned fish"),
        N_("Turbot fish"), N_("Forcing net"), N_("Trial and error"), N_("W-wing")};
    (void)kTitles;
    return _(frontend::technique_title(method).c_str());
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
