// The saved game: `current.game`, the engine's game record followed by the history and the timer.
#pragma once

#include <string>
#include <vector>

#include "game.h"

namespace game {

// Everything a save holds, in memory.
struct SavedGame {
    GameRecord position{};
    std::vector<Move> history;
    size_t cursor = 0;
    bool auto_candidates = false;
    bool finished = false;
    int64_t elapsed_ms = 0;
    int32_t hints = 0;
    int32_t mistakes = 0;
};

SavedGame saved_from(const Game& game);

// The file's bytes: the 5232-byte record first, then "QDRLSAVE", version, fields, the moves and a
// CRC-32 of everything before it.
std::vector<unsigned char> encode_save(const SavedGame& save);
// Reads bytes written by encode_save; false with a reason for anything else (short, foreign,
// damaged, impossible values). Never reads past `n`.
bool decode_save(const unsigned char* data, size_t n, SavedGame& out, std::string& why);

// Writes `bytes` to `path` by atomic replacement: a temporary file beside it, flushed to disk,
// then renamed over it, and the folder flushed so the rename survives a power cut. False with a
// reason; an existing file is then left whole.
bool write_atomically(const std::string& path, const std::vector<unsigned char>& bytes, std::string& why);
// Reads a whole file of at most `limit` bytes; false with a reason.
bool read_file(const std::string& path, size_t limit, std::vector<unsigned char>& out, std::string& why);
// Moves a file the game cannot use out of the way ("<path>.damaged-<time>"); the new name, or "".
std::string set_aside(const std::string& path);

}  // namespace game
