// Reading and writing puzzle lines, and colouring a group map for display.
#include "puzzle_line.h"

#include <cctype>

namespace frontend {

void square_groups(int* groups) {
    for (int k = 0; k < 81; ++k) groups[k] = (k / 27) * 3 + (k % 9) / 3;
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

bool parse_puzzle_line(const std::string& text, PuzzleLine& out, std::string& why) {
    std::string s;
    for (char c : text)
        if (!std::isspace(static_cast<unsigned char>(c))) s += c;
    if (s.size() != 81 && s.size() != 162) {
        why = "a puzzle line needs 81 clues (digits, '.' or '0' for blanks), optionally followed by an 81-digit "
              "group map; this one has " +
              std::to_string(s.size()) + " characters";
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
            why = std::string("character ") + std::to_string(k + 1) + " ('" + c + "') is not a clue";
            return false;
        }
    }
    if (s.size() == 162) {
        int size[9] = {};
        for (int k = 0; k < 81; ++k) {
            const char c = s[81 + k];
            if (c < '0' || c > '8') {
                why = std::string("group map character ") + std::to_string(k + 1) + " ('" + c + "') is not 0-8";
                return false;
            }
            p.groups[k] = c - '0';
            ++size[p.groups[k]];
        }
        for (int g = 0; g < 9; ++g)
            if (size[g] != 9) {
                why = "the group map must have nine groups of nine cells; group " + std::to_string(g) + " has " +
                      std::to_string(size[g]);
                return false;
            }
        if (const int g = disconnected_group(p.groups); g >= 0) {
            why = "group " + std::to_string(g) + " of the group map is not one connected piece";
            return false;
        }
        p.has_groups = true;
    } else {
        square_groups(p.groups);
    }
    out = p;
    return true;
}

std::string format_puzzle_line(const int* clues, const int* groups, bool with_groups) {
    std::string s;
    for (int k = 0; k < 81; ++k) s += clues[k] >= 1 && clues[k] <= 9 ? static_cast<char>('0' + clues[k]) : '.';
    if (with_groups) {
        s += ' ';
        for (int k = 0; k < 81; ++k) s += static_cast<char>('0' + (groups[k] >= 0 && groups[k] <= 8 ? groups[k] : 0));
    }
    return s;
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
