// The stock: seeding, taking, persistence, damaged files, refill and the targeted search.
#include <gtest/gtest.h>
#include <zlib.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <numeric>
#include <thread>

#include "stock.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using Bytes = std::vector<unsigned char>;

// Sanitizer builds run the engine several times slower; time bounds stretch with them.
#if defined(__SANITIZE_ADDRESS__)
constexpr long kSlow = 4;
#else
constexpr long kSlow = 1;
#endif

long ms_since(Clock::time_point start) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

const frontend::Engine& engine() {
    static frontend::Engine e;
    static std::string error;
    static const bool loaded = frontend::load_engine(frontend::default_engine_path(), e, error);
    if (!loaded) ADD_FAILURE() << error;
    return e;
}

// The 40 counts, indexed (map kind * 2 + adjacency) * 10 + bucket.
std::vector<int> counts_of(const game::Stock& s) {
    std::vector<int> c;
    for (int i = 0; i < 40; ++i) c.push_back(s.count(i / 20, i / 10 % 2, i % 10));
    return c;
}

int total(const std::vector<int>& counts) {
    return std::accumulate(counts.begin(), counts.end(), 0);
}

Bytes read_file(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void write_file(const fs::path& p, const Bytes& bytes) {
    std::ofstream(p, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes deflated(const Bytes& raw) {
    uLongf n = compressBound(raw.size());
    Bytes out(n);
    EXPECT_EQ(compress2(out.data(), &n, raw.data(), raw.size(), 9), Z_OK);
    out.resize(n);
    return out;
}

// A record that is a unique puzzle of exactly the choice it was filed under: its kind words, groups
// off the boxes exactly for a jigsaw, colours 0..3 apart across every group wall, and the bucket.
void expect_record_of_choice(const game::GameRecord& r, int m, int a, int b) {
    EXPECT_EQ(r.map_kind(), m);
    EXPECT_EQ(r.adjacency(), a);
    EXPECT_EQ(r.quality(), b);
    const frontend::Engine& e = engine();
    SudokuHandle* h = e.sudoku_new();
    e.sudoku_set_puzzle_bytes(h, r.bytes);
    e.sudoku_setup_loaded(h, r.map_kind(), r.adjacency());
    int clues = 0, groups[81];
    bool boxes = true;
    for (int k = 0; k < 81; ++k) {
        SudokuCellInfo c;
        e.sudoku_get_cell(h, k, &c);
        clues += c.status != 0;
        groups[k] = c.group;
        boxes = boxes && c.group == (k / 27) * 3 + (k % 9) / 3;
    }
    EXPECT_TRUE(clues > 0 && clues < 81) << clues;
    EXPECT_EQ(boxes, m == 0) << "a jigsaw must not be filed on the boxes, nor a square game off them";
    for (int k = 0; k < 81; ++k) {
        const int c = r.color(groups[k]);
        EXPECT_TRUE(c >= 0 && c <= 3);
        EXPECT_FALSE(k % 9 < 8 && groups[k + 1] != groups[k] && r.color(groups[k + 1]) == c) << "cell " << k;
        EXPECT_FALSE(k < 72 && groups[k + 9] != groups[k] && r.color(groups[k + 9]) == c) << "cell " << k;
    }
    ClassifyInfo info;
    ASSERT_TRUE(e.sudoku_classify_handle(h, m, a, &info));
    e.sudoku_free(h);
    EXPECT_EQ(info.bucket, b) << "filed under " << b << ", classifies as " << info.label;
    EXPECT_TRUE(info.unique);
}

class StockTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(engine().library, nullptr);
        char tmpl[] = "/tmp/quadrillo-stock-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        root_ = tmpl;
        dir_ = root_ / "data" / "stock";  // two levels that do not exist yet
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }

    fs::path file(int m, int a) const { return dir_ / game::Stock::file_name(m, a); }
    std::vector<fs::path> set_aside() const {
        std::vector<fs::path> found;
        for (const auto& entry : fs::directory_iterator(dir_))
            if (entry.path().string().find(".damaged") != std::string::npos) found.push_back(entry.path());
        return found;
    }
    std::unique_ptr<game::Stock> open_stock(std::string* message = nullptr) {
        auto s = std::make_unique<game::Stock>(engine(), dir_.string());
        std::string m;
        EXPECT_TRUE(s->open(m)) << m;
        if (message) *message = m;
        return s;
    }

    fs::path root_, dir_;
};

TEST_F(StockTest, FirstOpenSeedsFromTheStarterAlbumAndReopeningKeepsTheCounts) {
    std::string message;
    const std::vector<int> seeded = counts_of(*open_stock(&message));
    EXPECT_NE(message.find("starter"), std::string::npos) << message;
    for (int kind = 0; kind < 4; ++kind) {
        EXPECT_TRUE(fs::exists(file(kind / 2, kind % 2)));
        const int n = std::accumulate(seeded.begin() + kind * 10, seeded.begin() + kind * 10 + 10, 0);
        EXPECT_GT(n, 0) << "kind " << kind << " got nothing from the starter album";
    }
    EXPECT_EQ(counts_of(*open_stock(&message)), seeded);
    EXPECT_EQ(message, "") << "a second start is no first start";
}

TEST_F(StockTest, TakeShrinksTheStockOnDiskAndNeverHandsOutAPuzzleTwice) {
    auto s = open_stock();
    game::GameRecord first, r;
    const int outside[][3] = {{2, 0, 0}, {-1, 0, 0}, {0, 2, 0}, {0, 0, 10}, {0, 0, -1}};
    for (const auto& [m, a, b] : outside) {
        EXPECT_EQ(s->count(m, a, b) + s->wanted(m, a, b), 0);
        EXPECT_FALSE(s->take(m, a, b, r));
    }
    int i = 39;  // the last stocked choice: a jigsaw x one with the starter album as shipped
    while (i > 0 && s->count(i / 20, i / 10 % 2, i % 10) == 0) --i;
    const int m = i / 20, a = i / 10 % 2, b = i % 10, before = s->count(m, a, b);
    ASSERT_GT(before, 0);
    const auto start = Clock::now();
    ASSERT_TRUE(s->take(m, a, b, first));
    EXPECT_LT(ms_since(start), 100 * kSlow) << "take() is what a new game waits for";
    EXPECT_EQ(s->write_error(), "");

    // After a restart the choice is one smaller and the taken puzzle gone for good; emptying it then
    // refuses further takes, also after another restart.
    s = open_stock();
    ASSERT_EQ(s->count(m, a, b), before - 1);
    for (int n = 0; n < before - 1; ++n) {
        ASSERT_TRUE(s->take(m, a, b, r));
        EXPECT_NE(std::memcmp(r.bytes, first.bytes, game::kCellBytes), 0) << "handed out twice";
    }
    EXPECT_FALSE(s->take(m, a, b, r));
    s = open_stock();
    EXPECT_EQ(s->count(m, a, b), 0);
}

TEST_F(StockTest, EveryStockedPuzzleClassifiesIntoItsBucketAndIsUnique) {
    auto s = open_stock();
    for (int i = 0; i < 40; ++i)
        for (game::GameRecord r; s->take(i / 20, i / 10 % 2, i % 10, r);) {
            SCOPED_TRACE("choice " + std::to_string(i));
            expect_record_of_choice(r, i / 20, i / 10 % 2, i % 10);
        }
    EXPECT_EQ(total(counts_of(*s)), 0);
}

// A kind file damaged in some way: the stock opens all the same, keeps the file aside as it was and
// seeds that kind afresh, leaving the other kinds as they were.
TEST_F(StockTest, DamagedKindFilesAreSetAsideAndReseeded) {
    const std::vector<int> seeded = counts_of(*open_stock());
    const Bytes good = read_file(file(0, 1)), other_kind = read_file(file(0, 0));
    Bytes huge_counts(80, 0);
    std::memcpy(huge_counts.data(), "SQD0.002   0   9   0", 20);
    const std::pair<const char*, Bytes> damages[] = {
        {"empty", {}},
        {"truncated", Bytes(good.begin(), good.begin() + static_cast<long>(good.size() / 2))},
        {"text", {'n', 'o', 't', '\n'}},
        {"trailing bytes",
         [&] {
             Bytes b = good;
             b.push_back(0);
             return b;
         }()},
        {"counts beyond the length", deflated(huge_counts)},
        {"inflates past 2 MiB", deflated(Bytes(3 << 20, 0))},
        {"album of another kind", other_kind},
        {"the starter album", read_file(fs::path(engine().maps_dir) / "starter.z")},
    };
    for (const auto& [name, bytes] : damages) {
        SCOPED_TRACE(name);
        std::vector<int> expected;
        {  // a square regular puzzle spent: a reseed of the wrong kind would show
            auto s = open_stock();
            game::GameRecord r;
            for (int b = 0; b < 10 && !s->take(0, 0, b, r); ++b) {
            }
            expected = counts_of(*s);
        }
        std::copy(seeded.begin() + 10, seeded.begin() + 20, expected.begin() + 10);
        write_file(file(0, 1), bytes);
        for (const fs::path& p : set_aside()) fs::remove(p);

        std::string message;
        EXPECT_EQ(counts_of(*open_stock(&message)), expected);
        EXPECT_NE(message.find("square x puzzles was damaged"), std::string::npos) << message;
        const std::vector<fs::path> aside = set_aside();
        ASSERT_EQ(aside.size(), 1u);
        EXPECT_EQ(read_file(aside[0]), bytes);
        EXPECT_NE(message.find(aside[0].filename().string()), std::string::npos) << message;
        open_stock(&message);
        EXPECT_EQ(message, "") << "the reseeded file is whole";
    }
}

TEST_F(StockTest, AFolderThatCannotBeMadeIsReported) {
    fs::create_directories(root_);
    write_file(root_ / "data", {'x'});  // a file where the folder should go
    game::Stock s(engine(), dir_.string());
    std::string message;
    EXPECT_FALSE(s.open(message));
    EXPECT_NE(message.find(dir_.string()), std::string::npos) << message;
}

TEST_F(StockTest, RefillFillsAStarvedChoiceKeepsTakeFastAndStopsPromptly) {
    auto s = open_stock();
    game::GameRecord r;
    while (s->take(0, 0, 0, r)) {
    }  // the last take, of an empty choice, sends the refill there first
    s->start_refill();
    s->start_refill();  // a second start changes nothing
    const auto start = Clock::now();
    long worst_take_ms = 0;
    for (int i = 0; s->count(0, 0, 0) == 0 && ms_since(start) < 60000; ++i) {
        const auto t = Clock::now();  // other puzzles are taken while the refill writes the stock
        s->take(1, i % 2, i % 10, r);
        worst_take_ms = std::max(worst_take_ms, ms_since(t));
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_GT(s->count(0, 0, 0), 0) << "no quickie square puzzle made in a minute";
    EXPECT_LT(worst_take_ms, 100 * kSlow);
    const auto stop = Clock::now();
    s->stop_refill();
    EXPECT_LT(ms_since(stop), 1500 * kSlow) << "stop_refill waits for one bounded harvest at most";
    const game::Stock::RefillStats stats = s->refill_stats();
    EXPECT_GT(stats.harvests, 0);
    EXPECT_GT(stats.added[0][0][0], 0);

    // What the refill made was written through, no choice past its depth, each a puzzle of its choice.
    const std::vector<int> refilled = counts_of(*s);
    s = open_stock();
    EXPECT_EQ(counts_of(*s), refilled);
    for (int i = 0; i < 40; ++i) {
        const int m = i / 20, a = i / 10 % 2, b = i % 10;
        if (stats.added[m][a][b] == 0) continue;
        EXPECT_LE(s->count(m, a, b), s->wanted(m, a, b));
        while (s->take(m, a, b, r)) expect_record_of_choice(r, m, a, b);
    }
    s->start_refill();  // the stock's end stops the refill too
    const auto destroy = Clock::now();
    s.reset();
    EXPECT_LT(ms_since(destroy), 1500 * kSlow);
}

// An engine installed without its map files and starter album (a copy of the library alone):
// jigsaw requests fall back to the boxes.
TEST_F(StockTest, WithoutMapFilesNoSquarePuzzleIsFiledOrFoundAsAJigsaw) {
    const fs::path lib = root_ / "bare" / "libquorvel.so";
    fs::create_directories(lib.parent_path());
    fs::copy_file(engine().library_path, lib);
    frontend::Engine bare;
    std::string message;
    ASSERT_TRUE(frontend::load_engine(lib.string(), bare, message)) << message;
    {
        game::Stock s(bare, dir_.string());
        EXPECT_TRUE(s.open(message));
        EXPECT_NE(message.find("starter"), std::string::npos) << message;
        EXPECT_EQ(total(counts_of(s)), 0);
        EXPECT_FALSE(fs::exists(file(0, 0))) << "an unseeded kind is seeded again at the next start";

        game::GameRecord r;
        EXPECT_FALSE(s.take(1, 0, 0, r));  // the jigsaw is asked for first
        s.start_refill();
        const auto start = Clock::now();
        while (s.count(0, 0, 0) == 0 && ms_since(start) < 60000)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        s.stop_refill();
        EXPECT_GT(s.count(0, 0, 0), 0) << "the square kinds are refilled all the same";
        const std::vector<int> counts = counts_of(s);
        EXPECT_EQ(std::accumulate(counts.begin() + 20, counts.end(), 0), 0);
        std::atomic<bool> cancel{false};
        EXPECT_FALSE(game::search_puzzle(bare, 1, 0, 0, cancel, nullptr, 5000, r));
    }
    // The copy stays loaded: the engine keeps its combination tables until the process ends, and
    // closing the library would strand them (the leak checker would rightly say so).
}

TEST(StockSearch, FindsEasyPuzzlesOnBothMaps) {
    std::atomic<bool> cancel{false};
    game::GameRecord r;
    ASSERT_TRUE(game::search_puzzle(engine(), 0, 0, 1, cancel, nullptr, 20000, r));
    expect_record_of_choice(r, 0, 0, 1);
    ASSERT_TRUE(game::search_puzzle(engine(), 1, 1, 0, cancel, nullptr, 20000, r));
    expect_record_of_choice(r, 1, 1, 0);  // the colours for its groups are the stock's own
}

TEST(StockSearch, HonoursCancelAndItsTimeLimitQuickly) {
    game::GameRecord r;
    std::atomic<bool> cancel{true};
    auto start = Clock::now();
    EXPECT_FALSE(game::search_puzzle(engine(), 0, 0, 0, cancel, nullptr, 0, r));
    EXPECT_LT(ms_since(start), 50);
    EXPECT_FALSE(game::search_puzzle(engine(), 0, 0, 10, cancel, nullptr, 300, r));

    // A rare bucket (it may still turn up early), cancelled from another thread with no time limit.
    cancel = false;
    std::vector<std::string> reports;
    std::thread canceller([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        cancel = true;
    });
    start = Clock::now();
    const bool found = game::search_puzzle(
        engine(), 0, 0, 5, cancel,
        [&](double share, const std::string& text) {
            EXPECT_EQ(share, -1.0);
            reports.push_back(text);
        },
        0, r);
    canceller.join();
    EXPECT_LT(ms_since(start), 300 + 800 * kSlow);
    EXPECT_TRUE(found || !reports.empty()) << "each fruitless slice reports";

    cancel = false;
    start = Clock::now();
    game::search_puzzle(engine(), 0, 0, 5, cancel, nullptr, 300, r);
    EXPECT_LT(ms_since(start), 300 + 800 * kSlow);
}

}  // namespace
