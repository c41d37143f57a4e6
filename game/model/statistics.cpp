// Statistics per difficulty and kind, and their plain-text file form.
#include "statistics.h"

#include <sstream>

namespace game {

Tally& Statistics::at(int map_kind, int adjacency, int bucket) {
    return by[map_kind == 1][adjacency == 1][bucket >= 0 && bucket < 10 ? bucket : 0];
}

void Statistics::record_start(int map_kind, int adjacency, int bucket) { ++at(map_kind, adjacency, bucket).played; }

void Statistics::record_win(int map_kind, int adjacency, int bucket, int64_t ms) {
    Tally& t = at(map_kind, adjacency, bucket);
    ++t.won;
    t.total_ms += ms;
    if (t.best_ms == 0 || ms < t.best_ms) t.best_ms = ms;
}

std::string Statistics::encode() const {
    std::ostringstream out;
    for (int m = 0; m < 2; ++m)
        for (int a = 0; a < 2; ++a)
            for (int b = 0; b < 10; ++b) {
                const Tally& t = by[m][a][b];
                if (t.played || t.won || t.hints)
                    out << m << ' ' << a << ' ' << b << ' ' << t.played << ' ' << t.won << ' ' << t.best_ms << ' '
                        << t.total_ms << ' ' << t.hints << '\n';
            }
    return out.str();
}

Statistics Statistics::decode(const std::string& text) {
    Statistics s;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        int m, a, b;
        Tally t;
        if (!(fields >> m >> a >> b >> t.played >> t.won >> t.best_ms >> t.total_ms)) continue;
        if (!(fields >> t.hints)) t.hints = 0;  // files written before hints were counted
        if (m < 0 || m > 1 || a < 0 || a > 1 || b < 0 || b > 9 || t.played < 0 || t.won < 0 || t.best_ms < 0 ||
            t.total_ms < 0 || t.hints < 0)
            continue;
        s.by[m][a][b] = t;
    }
    return s;
}

}  // namespace game
