// One game being played: moves as cell differences, undo and redo by rewriting the cell bytes.
#include "game.h"
#include "translate.h"

#include <cstdio>

namespace game {

namespace {

constexpr uint16_t kAllMarks = 0x3fe;

bool valid_state(const CellState& s) { return s.answer <= 9 && s.small <= 1 && (s.marks & ~kAllMarks) == 0; }

}  // namespace

bool engine_accepts(const frontend::Engine& engine, const GameRecord& record) {
    // A one-game album: the engine checks the record's cells exactly as it checks stored games.
    unsigned char blob[80 + kRecordBytes] = {};
    std::snprintf(reinterpret_cast<char*>(blob), 80, "SQD0.002%4d%4d%4d", 0, 0, 1);
    std::memcpy(blob + 80, record.bytes, kRecordBytes);
    SudokuAlbum* album = engine.sudoku_queue_load(blob, sizeof blob);
    engine.sudoku_queue_free(album);
    return album != nullptr;
}

Game::Game(const frontend::Engine& engine) : e_(engine), h_(engine.sudoku_new()) {}

Game::~Game() { e_.sudoku_free(h_); }

bool Game::load_into_engine(const GameRecord& record, std::string& why) {
    const int kind = record.map_kind(), adjacency = record.adjacency();
    if ((kind != 0 && kind != 1) || (adjacency != 0 && adjacency != 1)) {
        why = _("the game's kind is unknown");
        return false;
    }
    if (!engine_accepts(e_, record)) {
        why = _("the puzzle engine refuses the stored cells");
        return false;
    }
    for (int k = 0; k < 81; ++k) {
        const unsigned char* c = record.bytes + k * kCellStride;
        int32_t answer;
        std::memcpy(&answer, c + kCellAnswer, 4);
        if (answer < 0 || answer > 9 || c[kCellSmallMode] > 1) {
            why = _("a cell holds an impossible answer");
            return false;
        }
    }
    e_.sudoku_set_puzzle_bytes(h_, record.bytes);
    e_.sudoku_setup_loaded(h_, kind, adjacency);
    map_kind_ = kind;
    adjacency_ = adjacency;
    bucket_ = record.quality();
    for (int g = 0; g < 9; ++g) colors_[g] = record.color(g);
    reload_neighbours();
    loaded_ = true;
    return true;
}

void Game::reload_neighbours() {
    for (int a = 0; a < 81; ++a)
        for (int b = 0; b < 81; ++b) neighbours_[a][b] = a != b && e_.sudoku_are_neighbors(h_, a, b);
}

bool Game::start(const GameRecord& record, std::string& why) {
    if (!load_into_engine(record, why)) return false;
    initial_ = record;
    history_.clear();
    position_ = 0;
    auto_candidates_ = false;
    elapsed_ms_ = 0;
    hints = mistakes = 0;
    finished = false;
    return true;
}

GameRecord Game::record() const {
    GameRecord r{};
    e_.sudoku_get_puzzle_bytes(h_, r.bytes);
    for (int g = 0; g < 9; ++g) r.set_word(kCellBytes + 4 * g, colors_[g]);
    r.set_word(kCellBytes + 36, map_kind_);
    r.set_word(kCellBytes + 40, adjacency_);
    r.set_word(kCellBytes + 44, bucket_);
    return r;
}

CellView Game::cell(int index) const {
    CellView v;
    if (index < 0 || index >= 81) return v;
    SudokuCellInfo c;
    e_.sudoku_get_cell(h_, index, &c);
    v.given = c.status != 0;
    v.solution = c.solution;
    v.group = c.group;
    v.marks_shown = !v.given && c.small_mode != 0;
    v.marks = static_cast<unsigned>(c.elim_bits) & kAllMarks;
    if (v.given)
        v.digit = c.solution;
    else if (!v.marks_shown)
        v.digit = c.user_answer;
    return v;
}

bool Game::same_group_right(int index) const { return e_.sudoku_same_group_right(h_, index) != 0; }
bool Game::same_group_below(int index) const { return e_.sudoku_same_group_below(h_, index) != 0; }

bool Game::conflicting(int index) const {
    const int d = cell(index).digit;
    if (!d) return false;
    for (int j = 0; j < 81; ++j)
        if (neighbours_[index][j] && cell(j).digit == d) return true;
    return false;
}

bool Game::wrong(int index) const {
    const CellView v = cell(index);
    return !v.given && v.digit != 0 && v.digit != v.solution;
}

bool Game::solved() const { return loaded_ && e_.sudoku_get_state(h_, nullptr) == 1; }

void Game::digit_counts(int counts[10]) const { e_.sudoku_get_state(h_, counts); }

int Game::cells_left() const { return e_.sudoku_distance(h_); }

int Game::first_empty_cell() const {
    for (int k = 0; k < 81; ++k)
        if (cell(k).digit == 0) return k;
    return 0;
}

void Game::snapshot(CellState out[81]) const {
    for (int k = 0; k < 81; ++k) {
        SudokuCellInfo c;
        e_.sudoku_get_cell(h_, k, &c);
        out[k].answer = static_cast<uint8_t>(c.user_answer);
        out[k].small = static_cast<uint8_t>(c.small_mode != 0);
        out[k].marks = static_cast<uint16_t>(c.elim_bits & kAllMarks);
    }
}

bool Game::commit(const CellState before[81], bool auto_before) {
    CellState after[81];
    snapshot(after);
    Move move;
    move.auto_before = auto_before;
    move.auto_after = auto_candidates_;
    for (int k = 0; k < 81; ++k)
        if (!(before[k] == after[k])) move.changes.push_back({static_cast<uint8_t>(k), before[k], after[k]});
    if (move.changes.empty() && move.auto_before == move.auto_after) return false;
    history_.resize(position_);
    history_.push_back(std::move(move));
    position_ = history_.size();
    return true;
}

bool Game::open_cell(int index, SudokuCellInfo& c, CellState before[81]) const {
    if (!loaded_ || index < 0 || index >= 81) return false;
    e_.sudoku_get_cell(h_, index, &c);
    if (c.status) return false;
    snapshot(before);
    return true;
}

bool Game::enter(int index, int digit) {
    SudokuCellInfo c;
    CellState before[81];
    if (digit < 0 || digit > 9 || !open_cell(index, c, before)) return false;
    const bool auto_before = auto_candidates_;
    const int shown = c.small_mode ? 0 : c.user_answer;
    if (digit == 0) {
        if (shown) {
            e_.sudoku_set_user_answer(h_, index, 0, shown, auto_candidates_);
            if (auto_candidates_) e_.sudoku_digit_assistant_update(h_);
        } else if (c.small_mode || c.elim_bits || c.user_answer) {
            if (c.user_answer) e_.sudoku_set_user_answer(h_, index, 0, 0, 0);
            e_.sudoku_toggle_elim_bit(h_, index, 0);
            if (c.small_mode) e_.sudoku_toggle_small_mode(h_, index);
        } else {
            return false;
        }
    } else {
        if (shown == digit) return false;
        e_.sudoku_set_user_answer(h_, index, digit, shown, auto_candidates_);
        if (c.small_mode) e_.sudoku_toggle_small_mode(h_, index);
        if (auto_candidates_) e_.sudoku_digit_assistant_update(h_);
        if (digit != c.solution) ++mistakes;
    }
    return commit(before, auto_before);
}

bool Game::toggle_mark(int index, int digit) {
    SudokuCellInfo c;
    CellState before[81];
    if (digit < 1 || digit > 9 || !open_cell(index, c, before)) return false;
    const bool auto_before = auto_candidates_;
    if (!c.small_mode) {
        // The cell shows an answer or nothing: its marks start empty.
        if (c.user_answer) {
            e_.sudoku_set_user_answer(h_, index, 0, c.user_answer, auto_candidates_);
            if (auto_candidates_) e_.sudoku_digit_assistant_update(h_);
        }
        e_.sudoku_get_cell(h_, index, &c);
        if (!c.small_mode) {
            e_.sudoku_toggle_elim_bit(h_, index, 0);
            e_.sudoku_toggle_small_mode(h_, index);
        }
    }
    e_.sudoku_toggle_elim_bit(h_, index, digit);
    return commit(before, auto_before);
}

bool Game::whole_board_move(void (*call)(SudokuHandle*), bool auto_after) {
    if (!loaded_) return false;
    CellState before[81];
    snapshot(before);
    const bool auto_before = auto_candidates_;
    call(h_);
    auto_candidates_ = auto_after;
    return commit(before, auto_before);
}

bool Game::fill_candidates() { return whole_board_move(e_.sudoku_digit_assistant_all, true); }
bool Game::hide_candidates() { return whole_board_move(e_.sudoku_digit_assistant_hide, false); }
bool Game::restart() { return whole_board_move(e_.sudoku_restart, false); }

bool Game::apply_step(const int* placed, const int* removed) {
    if (!loaded_ || !placed || !removed) return false;
    CellState before[81];
    snapshot(before);
    const bool auto_before = auto_candidates_;
    bool any_removal = false;
    for (int k = 0; k < 81; ++k) any_removal = any_removal || (removed[k] & kAllMarks);
    if (any_removal && !auto_candidates_) {
        // A removal only means something among candidates: show them all first.
        e_.sudoku_digit_assistant_update(h_);
        auto_candidates_ = true;
    }
    for (int k = 0; k < 81; ++k) {
        SudokuCellInfo c;
        e_.sudoku_get_cell(h_, k, &c);
        if (c.status) continue;
        if (placed[k] >= 1 && placed[k] <= 9) {
            e_.sudoku_set_user_answer(h_, k, placed[k], c.small_mode ? 0 : c.user_answer, auto_candidates_);
            if (c.small_mode) e_.sudoku_toggle_small_mode(h_, k);
        } else if (c.small_mode) {
            for (int d = 1; d <= 9; ++d)
                if ((removed[k] & (1 << d)) && (c.elim_bits & (1u << d))) e_.sudoku_toggle_elim_bit(h_, k, d);
        }
    }
    if (auto_candidates_) e_.sudoku_digit_assistant_update(h_);
    return commit(before, auto_before);
}

void Game::shown_marks(int* candidates) const {
    for (int k = 0; k < 81; ++k) {
        const CellView v = cell(k);
        candidates[k] = v.marks_shown ? static_cast<int>(v.marks) : 0;
    }
}

void Game::apply(const Move& move, bool forward) {
    unsigned char bytes[kCellBytes];
    e_.sudoku_get_puzzle_bytes(h_, bytes);
    for (const CellChange& ch : move.changes) {
        const CellState& s = forward ? ch.after : ch.before;
        unsigned char* c = bytes + ch.cell * kCellStride;
        const int32_t answer = s.answer, marks = s.marks;
        std::memcpy(c + kCellAnswer, &answer, 4);
        std::memcpy(c + kCellMarks, &marks, 4);
        c[kCellSmallMode] = s.small;
    }
    e_.sudoku_set_puzzle_bytes(h_, bytes);
    e_.sudoku_setup_loaded(h_, map_kind_, adjacency_);
    auto_candidates_ = forward ? move.auto_after : move.auto_before;
}

bool Game::undo() {
    if (!can_undo()) return false;
    apply(history_[--position_], false);
    return true;
}

bool Game::redo() {
    if (!can_redo()) return false;
    apply(history_[position_++], true);
    return true;
}

bool Game::restore(const GameRecord& position, std::vector<Move> history, size_t cursor, bool auto_candidates,
                   int64_t elapsed_ms, std::string& why) {
    if (!load_into_engine(position, why)) return false;
    initial_ = position;
    elapsed_ms_ = elapsed_ms < 0 ? 0 : elapsed_ms;
    auto_candidates_ = auto_candidates;
    history_.clear();
    position_ = 0;
    hints = mistakes = 0;
    finished = false;
    // The history must lead to and from this position cell by cell; otherwise only the position
    // is kept, which is what the player saw last.
    CellState now[81], walk[81];
    snapshot(now);
    bool sound = cursor <= history.size();
    std::memcpy(walk, now, sizeof walk);
    for (size_t k = cursor; sound && k-- > 0;)
        for (const CellChange& ch : history[k].changes) {
            if (ch.cell >= 81 || !valid_state(ch.before) || !valid_state(ch.after) || !(walk[ch.cell] == ch.after)) {
                sound = false;
                break;
            }
            walk[ch.cell] = ch.before;
        }
    std::memcpy(walk, now, sizeof walk);
    for (size_t k = cursor; sound && k < history.size(); ++k)
        for (const CellChange& ch : history[k].changes) {
            if (ch.cell >= 81 || !valid_state(ch.before) || !valid_state(ch.after) || !(walk[ch.cell] == ch.before)) {
                sound = false;
                break;
            }
            walk[ch.cell] = ch.after;
        }
    if (!sound) {
        why = _("the undo history did not match the board and was dropped");
        return true;
    }
    history_ = std::move(history);
    position_ = cursor;
    why.clear();
    return true;
}

}  // namespace game
