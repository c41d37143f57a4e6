// One game being played: the engine handle, the player's moves with unlimited undo and redo, and
// the timer. Knows nothing of GTK.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine.h"
#include "record.h"

namespace game {

// What the player can change in a cell: the answer, the pencil marks and which of them shows.
struct CellState {
    uint8_t answer = 0;  // 0..9
    uint8_t small = 0;   // 1 when the marks show
    uint16_t marks = 0;  // bit d for digit d (1..9)
    bool operator==(const CellState&) const = default;
};

struct CellChange {
    uint8_t cell;
    CellState before, after;
};

// One undoable step: every cell it changed, and the candidate assistant's state around it.
struct Move {
    std::vector<CellChange> changes;
    bool auto_before = false, auto_after = false;
};

// What the board shows in a cell.
struct CellView {
    int digit = 0;       // shown digit (a clue or the player's answer), 0 for none
    bool given = false;  // a clue
    bool marks_shown = false;
    unsigned marks = 0;  // bit d for digit d
    int solution = 0;
    int group = 0;
};

class Game {
public:
    explicit Game(const frontend::Engine& engine);
    ~Game();
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    // Starts the game in `record` afresh (no moves, timer at zero). False with a reason when the
    // engine refuses the record.
    bool start(const GameRecord& record, std::string& why);
    bool loaded() const { return loaded_; }

    // The record of the current position, as saved and as the engine stores games.
    GameRecord record() const;
    const GameRecord& initial() const { return initial_; }
    int map_kind() const { return map_kind_; }
    int adjacency() const { return adjacency_; }
    int bucket() const { return bucket_; }
    void set_bucket(int bucket) { bucket_ = bucket; }

    CellView cell(int index) const;
    int colour_of_group(int group) const { return colors_[group >= 0 && group < 9 ? group : 0]; }
    bool same_group_right(int index) const;
    bool same_group_below(int index) const;
    bool sees(int a, int b) const { return neighbours_[a][b]; }
    // True when the digit shown in the cell is shown again in one of its houses.
    bool conflicting(int index) const;
    // True when the cell shows an answer that is not the solution's digit.
    bool wrong(int index) const;
    // How many cells show each digit (counts[1..9]); 1 when solved.
    bool solved() const;
    void digit_counts(int counts[10]) const;
    int cells_left() const;
    int first_empty_cell() const;

    // Moves; each returns false (and records nothing) when it would change nothing.
    bool enter(int index, int digit);  // 0 clears the answer, then the marks
    bool toggle_mark(int index, int digit);
    bool fill_candidates();
    bool hide_candidates();
    bool restart();
    // A hint's effect as one move: the digits it places (placed[k], 0 for none) and the candidates
    // it removes (removed[k], bit d). Marks are shown first where the cells have none.
    bool apply_step(const int* placed, const int* removed);
    // The marks the player sees: candidates[k] = the shown marks of cell k, 0 where none show.
    void shown_marks(int* candidates) const;
    bool auto_candidates() const { return auto_candidates_; }

    bool undo();
    bool redo();
    bool can_undo() const { return position_ > 0; }
    bool can_redo() const { return position_ < history_.size(); }
    const std::vector<Move>& history() const { return history_; }
    size_t position() const { return position_; }

    // The timer, in milliseconds of play; the caller adds time while the game runs.
    int64_t elapsed_ms() const { return elapsed_ms_; }
    void add_time(int64_t ms) { elapsed_ms_ += ms; }
    int hints = 0;
    int mistakes = 0;
    bool finished = false;

    // Restores a saved game: the position's record, the history with its cursor, the timer. The
    // record is checked by the engine; the history must match it (applying the undone moves
    // backwards from the position must stay within the board). False with a reason otherwise.
    bool restore(const GameRecord& position, std::vector<Move> history, size_t cursor, bool auto_candidates,
                 int64_t elapsed_ms, std::string& why);

private:
    const frontend::Engine& e_;
    SudokuHandle* h_ = nullptr;
    bool loaded_ = false;
    GameRecord initial_{};
    int map_kind_ = 0, adjacency_ = 0, bucket_ = 0;
    int colors_[9] = {};
    bool neighbours_[81][81] = {};
    std::vector<Move> history_;
    size_t position_ = 0;
    bool auto_candidates_ = false;
    int64_t elapsed_ms_ = 0;

    bool load_into_engine(const GameRecord& record, std::string& why);
    void snapshot(CellState out[81]) const;
    // The start of a move on one cell: false for no game, a bad index or a clue; else the cell
    // and the board before the move.
    bool open_cell(int index, SudokuCellInfo& c, CellState before[81]) const;
    bool commit(const CellState before[81], bool auto_before);
    // One engine call over the whole board as one move, leaving the assistant on or off.
    bool whole_board_move(void (*call)(SudokuHandle*), bool auto_after);
    void apply(const Move& move, bool forward);
    void reload_neighbours();
};

// The 5184 cell bytes of a one-record album check: true when the engine accepts the record.
bool engine_accepts(const frontend::Engine& engine, const GameRecord& record);

}  // namespace game
