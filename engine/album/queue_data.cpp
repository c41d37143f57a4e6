// The album blob: building, header reading and writing, loading from memory and from a compressed file.
#include "album/queue_data.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "maps/Filenames_cli.h"
#include "maps/zipinput.h"

namespace {

constexpr char kMagic[8] = {'S', 'Q', 'D', '0', '.', '0', '0', '2'};
constexpr size_t kCountFieldOffset = 8;
constexpr size_t kCountFieldBytes = 4;
constexpr size_t kHeaderTextBytes = kCountFieldOffset + 3 * kCountFieldBytes;  // 20

size_t blob_length(size_t solutions, size_t puzzles, size_t games) {
    return kAlbumHeaderBytes + GAME_RECORD_BYTES * (solutions + puzzles + games);
}

// A count field is right-aligned: blanks, then digits, nothing else (four blanks read as 0).
bool parse_count(const unsigned char* field, unsigned& count) {
    size_t k = 0;
    while (k < kCountFieldBytes && field[k] == ' ') ++k;
    char digits[kCountFieldBytes + 1] = {};
    for (size_t n = 0; k < kCountFieldBytes; ++k, ++n) {
        if (field[k] < '0' || field[k] > '9') return false;
        digits[n] = static_cast<char>(field[k]);
    }
    count = static_cast<unsigned>(std::strtoul(digits, nullptr, 10));
    return true;
}

// The three sections in order: first record and count.
struct Section {
    unsigned char* start;
    uint32_t count;
};

Section section(const queue_data& q, int which) {
    unsigned char* at = q.buffer ? q.buffer + kAlbumHeaderBytes : nullptr;
    const uint32_t counts[3] = {q.num_solutions, q.num_puzzles, q.num_games};
    for (int s = 0; s < which && at; ++s) at += size_t{GAME_RECORD_BYTES} * counts[s];
    return {at, counts[which]};
}

bool set_record(const queue_data& q, int which, const PuzzleData& record, int i) {
    const Section s = section(q, which);
    if (!s.start || i < 0 || static_cast<uint32_t>(i) >= s.count) return false;
    std::memcpy(s.start + size_t{GAME_RECORD_BYTES} * static_cast<size_t>(i), &record, GAME_RECORD_BYTES);
    return true;
}

const PuzzleData* record_at(const queue_data& q, int which, int i) {
    const Section s = section(q, which);
    if (!s.start || i < 0 || static_cast<uint32_t>(i) >= s.count) return nullptr;
    return reinterpret_cast<const PuzzleData*>(s.start + size_t{GAME_RECORD_BYTES} * static_cast<size_t>(i));
}

bool groups_form_a_map(const PuzzleData& r, Matrix<int, 9>& groups) {
    int size[9] = {};
    for (int k = 0; k < N_CELLS; ++k) {
        const int g = r.cells[k].group;
        if (g < 0 || g > 8 || ++size[g] > 9) return false;
        groups[k / 9][k % 9] = g;
    }
    return true;
}

// The words that say where a cell lies: group, row, column, both diagonals and the five ring steps.
constexpr size_t kPositionWordBytes = offsetof(PUZZLE_CELL, solution);

}  // namespace

bool album_record_is_sound(const PuzzleData& r, Puzzle& scratch) {
    if (r.map_type != MAP_SQUARE && r.map_type != MAP_IRREGULAR) return false;
    if (r.adjacency != ADJ_REGULAR && r.adjacency != ADJ_X) return false;
    if (r.quality < 0 || r.quality > 9) return false;
    Matrix<int, 9> groups{};
    if (!groups_form_a_map(r, groups)) return false;
    scratch.setup(groups);
    for (int k = 0; k < N_CELLS; ++k) {
        const PUZZLE_CELL& c = r.cells[k];
        if (std::memcmp(&c, &scratch.cells[k], kPositionWordBytes) != 0) return false;
        if (c.solution < 1 || c.solution > 9 || c.user_answer < 0 || c.user_answer > 9) return false;
        if (c.elim_bits & ~ALL_DIGITS) return false;
    }
    return true;
}

queue_data::queue_data(unsigned solutions, unsigned puzzles, unsigned games)
    : buffer(nullptr), num_solutions(0), num_puzzles(0), num_games(0) {
    // A count that does not fit its header field would make a blob no reader accepts.
    if (solutions > kAlbumMaxRecords || puzzles > kAlbumMaxRecords || games > kAlbumMaxRecords) return;
    buffer = static_cast<unsigned char*>(std::calloc(blob_length(solutions, puzzles, games), 1));
    if (!buffer) return;
    num_solutions = solutions;
    num_puzzles = puzzles;
    num_games = games;
    generate_header();
}

queue_data::~queue_data() { std::free(buffer); }

void queue_data::generate_header() {
    if (!buffer) return;
    std::memset(buffer, 0, kAlbumHeaderBytes);
    char text[kHeaderTextBytes + 1];
    std::snprintf(text, sizeof text, "SQD0.002%4d%4d%4d", static_cast<int>(num_solutions),
                  static_cast<int>(num_puzzles), static_cast<int>(num_games));
    std::memcpy(buffer, text, kHeaderTextBytes);
}

bool queue_data::set_solution(const PuzzleData& record, int i) { return set_record(*this, 0, record, i); }
bool queue_data::set_puzzle(const PuzzleData& record, int i) { return set_record(*this, 1, record, i); }
bool queue_data::set_game(const PuzzleData& record, int i) { return set_record(*this, 2, record, i); }
const PuzzleData* queue_data::solution(int i) const { return record_at(*this, 0, i); }
const PuzzleData* queue_data::puzzle(int i) const { return record_at(*this, 1, i); }
const PuzzleData* queue_data::game(int i) const { return record_at(*this, 2, i); }

const void* queue_data::as_data(size_t& length) const {
    length = buffer ? total_length() : 0;
    return buffer;
}

void queue_data::get_data(void*& solutions, size_t& solutions_length, void*& puzzles, size_t& puzzles_length,
                          void*& games, size_t& games_length) const {
    solutions = section(*this, 0).start;
    puzzles = section(*this, 1).start;
    games = section(*this, 2).start;
    solutions_length = size_t{GAME_RECORD_BYTES} * num_solutions;
    puzzles_length = size_t{GAME_RECORD_BYTES} * num_puzzles;
    games_length = size_t{GAME_RECORD_BYTES} * num_games;
}

const void* queue_data::data_array() const { return buffer ? buffer + kAlbumHeaderBytes : nullptr; }
size_t queue_data::data_length() const { return total_length() - kAlbumHeaderBytes; }
size_t queue_data::total_length() const { return blob_length(num_solutions, num_puzzles, num_games); }

bool queue_data::parse_header(const void* blob, unsigned& solutions, unsigned& puzzles, unsigned& games) {
    if (!blob) return false;
    const auto* b = static_cast<const unsigned char*>(blob);
    if (std::memcmp(b, kMagic, sizeof kMagic) != 0) return false;
    unsigned counts[3];
    for (int f = 0; f < 3; ++f)
        if (!parse_count(b + kCountFieldOffset + kCountFieldBytes * f, counts[f])) return false;
    solutions = counts[0];
    puzzles = counts[1];
    games = counts[2];
    return true;
}

queue_data* queue_data::from_data(const void* blob, size_t length) {
    unsigned s = 0, p = 0, g = 0;
    // The length is checked against the counts before anything the counts ask for is allocated.
    if (!blob || length < kAlbumHeaderBytes || !parse_header(blob, s, p, g)) return nullptr;
    if (length != blob_length(s, p, g)) return nullptr;
    const unsigned char* records = static_cast<const unsigned char*>(blob) + kAlbumHeaderBytes;
    const size_t n = size_t{s} + p + g;
    if (n) {
        auto* scratch = static_cast<Puzzle*>(std::calloc(1, sizeof(Puzzle)));
        if (!scratch) return nullptr;
        bool sound = true;
        for (size_t i = 0; i < n && sound; ++i) {
            PuzzleData r;  // the blob need not be aligned for the record's words
            std::memcpy(&r, records + GAME_RECORD_BYTES * i, sizeof r);
            sound = album_record_is_sound(r, *scratch);
        }
        std::free(scratch);
        if (!sound) return nullptr;
    }
    auto* q = new (std::nothrow) queue_data(s, p, g);
    if (!q || !q->buffer) {
        delete q;
        return nullptr;
    }
    std::memcpy(q->buffer + kAlbumHeaderBytes, records, q->data_length());
    return q;
}

queue_data* queue_data_from_zipped_file(const char* name) {
    if (!name) return nullptr;
    const std::string path = get_full_filename(name, "z");
    if (path.empty()) return nullptr;
    uint64_t length = 0;
    unsigned char* bytes = get_zipped_file_contents(path, &length, kAlbumFileLimit);
    if (!bytes) return nullptr;
    queue_data* q = queue_data::from_data(bytes, length);
    std::free(bytes);
    return q;
}
