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
