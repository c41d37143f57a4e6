// Reading and writing puzzle lines, the places they come from, and colouring a group map for display.
#include "puzzle_line.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>

namespace frontend {

void square_groups(int* groups) {
    for (int k = 0; k < 81; ++k) groups[k] = (k / 27) * 3 + (k % 9) / 3;
}

int map_kind_of(const int* groups) {
    int boxes[81];
    square_groups(boxes);
    return std::memcmp(boxes, groups, sizeof boxes) != 0;
}

int disconnected_group(const int* groups) {
    for (int g = 0; g < 9; ++g) {
        int stack[81], n = 0, size = 0, reached = 0;
        bool seen[81] = {};
        for (int k = 0; k < 81; ++k)
            if (groups[k] == g) {
                ++size;
                if (!n && !reached) seen[k] = true, stack[n++] = k, reached = 1;
            }
        while (n) {
            const int k = stack[--n], r = k / 9, c = k % 9;
            const int next[4] = {r > 0 ? k - 9 : -1, r < 8 ? k + 9 : -1, c > 0 ? k - 1 : -1, c < 8 ? k + 1 : -1};
            for (int j : next)
                if (j >= 0 && !seen[j] && groups[j] == g) seen[j] = true, stack[n++] = j, ++reached;
        }
        if (reached != size) return g;
    }
    return -1;
}

bool is_blank_or_comment(const std::string& text) {
    for (char c : text) {
        if (c == '#') return true;
        if (!std::isspace(static_cast<unsigned char>(c))) return false;
    }
    return true;
}

bool parse_puzzle_line(const std::string& text, PuzzleLine& out, std::string& why) {
    std::string s;
    for (char c : text)
        if (!std::isspace(static_cast<unsigned char>(c))) s += c;
    char buf[160];
    if (s.size() != 81 && s.size() != 162) {
        std::snprintf(buf, sizeof buf, "%zu characters, expected 81 (clues) or 162 (clues and group map)", s.size());
        why = buf;
        return false;
    }
    PuzzleLine p;
    for (int k = 0; k < 81; ++k) {
        const char c = s[k];
        if (c == '.' || c == '0')
            p.clues[k] = 0;
        else if (c >= '1' && c <= '9')
            p.clues[k] = c - '0';
        else {
            std::snprintf(buf, sizeof buf, "stray character '%c' at clue %d (use 1-9, '.' or '0')", c, k + 1);
            why = buf;
            return false;
        }
    }
    square_groups(p.groups);
    if (s.size() == 162) {
        int sizes[9] = {};
        for (int k = 0; k < 81; ++k) {
            const char c = s[81 + k];
            if (c < '0' || c > '8') {
                std::snprintf(buf, sizeof buf, "stray character '%c' at group %d of the map (use 0-8)", c, k + 1);
                why = buf;
                return false;
            }
            p.groups[k] = c - '0';
            ++sizes[c - '0'];
        }
        for (int g = 0; g < 9; ++g) {
            if (sizes[g] != 9) {
                std::snprintf(buf, sizeof buf, "invalid group map: group %d has %d cells, not 9", g, sizes[g]);
                why = buf;
                return false;
            }
        }
        if (const int g = disconnected_group(p.groups); g >= 0) {
            std::snprintf(buf, sizeof buf, "invalid group map: group %d is not one connected piece", g);
            why = buf;
            return false;
        }
        p.has_groups = true;
        p.map_kind = map_kind_of(p.groups);
    }
    out = p;
    return true;
}

namespace {

const char* const kHouseNames[3] = {"row", "column", "group"};

// The house of kind `kind` (row, column, group, diagonal, anti-diagonal) cell k lies in, or -1.
int house_of(int kind, int k, const int* groups) {
    const int r = k / 9, c = k % 9;
    switch (kind) {
        case 0: return r;
        case 1: return c;
        case 2: return groups[k];
        case 3: return r == c ? 0 : -1;
        default: return r + c == 8 ? 0 : -1;
    }
}

}  // namespace

bool find_repeated_clue(const int* clues, const int* groups, int adjacency, std::string& why) {
    const int kinds = adjacency ? 5 : 3;
    for (int kind = 0; kind < kinds; ++kind) {
        for (int a = 0; a < 81; ++a) {
            const int ha = house_of(kind, a, groups);
            if (ha < 0 || !clues[a]) continue;
            for (int b = a + 1; b < 81; ++b) {
                if (clues[b] != clues[a] || house_of(kind, b, groups) != ha) continue;
                char house[32], buf[160];
                if (kind < 3)
                    std::snprintf(house, sizeof house, "%s %d", kHouseNames[kind], kind == 2 ? ha : ha + 1);
                else
                    std::snprintf(house, sizeof house, "%sdiagonal", kind == 4 ? "anti-" : "");
                std::snprintf(buf, sizeof buf, "contradicting clues: digit %d twice in %s (r%dc%d and r%dc%d)", clues[a],
                              house, a / 9 + 1, a % 9 + 1, b / 9 + 1, b % 9 + 1);
                why = buf;
                return true;
            }
        }
    }
    return false;
}

bool parse_sound_puzzle_line(const std::string& text, int adjacency, PuzzleLine& out, std::string& why) {
    PuzzleLine p;
    if (!parse_puzzle_line(text, p, why) || find_repeated_clue(p.clues, p.groups, adjacency, why)) return false;
    p.adjacency = adjacency;
    out = p;
    return true;
}

std::string digits_string(const int* digits) {
    std::string s(81, '.');
    for (int k = 0; k < 81; ++k)
        if (digits[k] >= 1 && digits[k] <= 9) s[k] = static_cast<char>('0' + digits[k]);
    return s;
}

std::string groups_string(const int* groups) {
    std::string s(81, '0');
    for (int k = 0; k < 81; ++k) s[k] = static_cast<char>('0' + (groups[k] >= 0 && groups[k] <= 8 ? groups[k] : 0));
    return s;
}

std::string format_puzzle_line(const int* clues, const int* groups, bool with_groups) {
    std::string s = digits_string(clues);
    if (with_groups) {
        s += ' ';
        s += groups_string(groups);
    }
    return s;
}

bool read_puzzle_sources(const std::vector<std::string>& inline_puzzles, const std::vector<std::string>& files,
                         std::vector<SourceLine>& out, std::string& why) {
    for (size_t i = 0; i < inline_puzzles.size(); ++i)
        out.push_back({"--puzzle " + std::to_string(i + 1), inline_puzzles[i]});
    auto take = [&](std::istream& in, const std::string& name) {
        std::string text;
        for (int n = 1; std::getline(in, text); ++n) out.push_back({name + ":" + std::to_string(n), text});
    };
    if (files.empty() && inline_puzzles.empty()) take(std::cin, "<stdin>");
    for (const auto& f : files) {
        if (f == "-") {
            take(std::cin, "<stdin>");
            continue;
        }
        std::ifstream in(f);
        if (!in) {
            why = f;
            why += ": ";
            why += std::strerror(errno);
            return false;
        }
        take(in, f);
    }
    return true;
}

bool parse_puzzle_sources(const std::vector<SourceLine>& lines, int adjacency, bool skip_bad,
                          std::vector<PuzzleLine>& out, std::vector<std::string>* where,
                          const std::function<void(const std::string&)>& report) {
    for (const auto& line : lines) {
        if (is_blank_or_comment(line.text)) continue;
        PuzzleLine p;
        std::string why;
        if (!parse_sound_puzzle_line(line.text, adjacency, p, why)) {
            report(line.where + ": " + why + (skip_bad ? " (skipped)" : ""));
            if (!skip_bad) return false;
            continue;
        }
        out.push_back(p);
        if (where) where->push_back(line.where);
    }
    return true;
}

namespace {

bool colour_from(int g, const bool adj[9][9], int* colours) {
    if (g == 9) return true;
    for (int c = 0; c < 4; ++c) {
        bool free = true;
        for (int h = 0; h < g && free; ++h)
            if (adj[g][h] && colours[h] == c) free = false;
        if (!free) continue;
        colours[g] = c;
        if (colour_from(g + 1, adj, colours)) return true;
    }
    return false;
}

}  // namespace

bool colour_groups(const int* groups, int* colours) {
    bool adj[9][9] = {};
    for (int k = 0; k < 81; ++k)
        if (groups[k] < 0 || groups[k] > 8) return false;
    for (int k = 0; k < 81; ++k) {
        const int g = groups[k];
        if (k % 9 < 8 && groups[k + 1] != g) adj[g][groups[k + 1]] = adj[groups[k + 1]][g] = true;
        if (k < 72 && groups[k + 9] != g) adj[g][groups[k + 9]] = adj[groups[k + 9]][g] = true;
    }
    for (int g = 0; g < 9; ++g) colours[g] = 0;
    return colour_from(0, adj, colours);
}

}  // namespace frontend
