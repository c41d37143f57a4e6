// Bounds on work and input at the library's boundary: oversized pictures, map files that are not
// regular files, and classifications that must stop when the caller's time runs out.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <future>
#include <vector>

#include "ffi/quorvel.h"
#include "maps/GroupMap.h"
#include "maps/zipinput.h"
#include "support/map_files.h"

TEST(PictureSize, OversizedPicturesAreRefusedBeforeAnyPixelIsRead) {
    // One byte stands for the whole picture: a call that went on to read it would overrun at once.
    const std::vector<unsigned char> one(1, 0);
    int out[81];
    // 46341 x 46341 is past what an int counts; 10001 x 10000 is just past 100 megapixels.
    for (const auto& [w, h] : {std::pair{46341, 46341}, std::pair{10001, 10000}, std::pair{27, 2147483647}}) {
        for (int bpp = 1; bpp <= 4; ++bpp) {
            EXPECT_EQ(sudoku_ocr_recognize(one.data(), w, h, bpp, out), 0) << w << "x" << h;
            EXPECT_EQ(sudoku_ocr_locate(one.data(), w, h, bpp, out), 0);
            EXPECT_EQ(sudoku_ocr_regions(one.data(), w, h, bpp, out), 0);
            EXPECT_EQ(sudoku_ocr_detect_x(one.data(), w, h, bpp), 0);
        }
    }
}

TEST(MapFiles, FifosInPlaceOfMapFilesAreRefusedWithoutWaiting) {
    TempDir dir;
    std::vector<std::string> fifos;
    for (const char* name : jigsawGroupMapFilenames) {
        fifos.push_back(dir.str() + "/" + name + ".z");
        ASSERT_EQ(mkfifo(fifos.back().c_str(), 0600), 0);
    }
    sudoku_set_group_maps_dir(dir.str().c_str());
    // A jigsaw request must fall back to the boxes at once instead of waiting for a writer.
    auto generation = std::async(std::launch::async, [] {
        SudokuHandle* h = sudoku_new();
        const int ok = sudoku_generate_solution(h, 1, 0);
        SudokuCellInfo corner{};
        sudoku_get_cell(h, 80, &corner);
        sudoku_free(h);
        return ok == 1 && corner.group == 8;
    });
    const bool finished = generation.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
    // Releases a reader stuck in open() so that the test can end: writers that open and leave, until
    // every attempt of the generation has been let through.
    for (int i = 0; !finished && i < 200; ++i) {
        for (const std::string& f : fifos) {
            const int fd = open(f.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) close(fd);
        }
        if (generation.wait_for(std::chrono::milliseconds(50)) == std::future_status::ready) break;
    }
    sudoku_set_group_maps_dir(nullptr);
    ASSERT_TRUE(finished) << "generation waited on a FIFO";
    EXPECT_TRUE(generation.get()) << "fell back to the box map";
    // A device is no map file either.
    uint64_t length = 7;
    EXPECT_EQ(get_zipped_file_contents("/dev/zero", &length, 1000), nullptr);
    EXPECT_EQ(length, 7u);
}

namespace {

// Seven clues on a map whose group 0 lies in two pieces: no solution, and an exact search that
// needs seconds to prove it.
const char kSlowClues[] = "..3..9...329.1...6...............................................................";
const char kSlowGroups[] = "012223333011222333011222634011555444511058664000555664077888364777888664777758864";
const char kClassic[] = "53..7....6..195....98....6.8...6...34..8.3..17...2...6.6....28....419..5....8..79";

void digits(const char* text, int* out) {
    for (int k = 0; k < 81; ++k) out[k] = text[k] >= '1' && text[k] <= '9' ? text[k] - '0' : 0;
}

long long ms_since(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
}

}  // namespace

TEST(ClassifyTimeLimit, AGridThatWouldTakeSecondsComesBackUndecidedInTime) {
    int clues[81], groups[81];
    digits(kSlowClues, clues);
    for (int k = 0; k < 81; ++k) groups[k] = kSlowGroups[k] - '0';
    sudoku_set_classify_time_limit(200);
    ClassifyInfo info{};
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(sudoku_classify_clues(clues, groups, 1, 1, &info), 2);
    EXPECT_LT(ms_since(t0), 2500) << "the limit must end the search";
    EXPECT_STREQ(info.label, "undecided");
    EXPECT_EQ(info.bucket, -1);
    EXPECT_EQ(info.unique, 0);
    EXPECT_EQ(info.clue_count, 7);
    // The record-returning call says the same in its own terms.
    t0 = std::chrono::steady_clock::now();
    const ClassifyResult r = classify_puzzle(1, 1, reinterpret_cast<const int(*)[9]>(clues),
                                             reinterpret_cast<const int(*)[9]>(groups), 0);
    EXPECT_LT(ms_since(t0), 2500);
    EXPECT_EQ(r.budget_exhausted, 1);
    EXPECT_STREQ(r.label, "unsolvable");
    sudoku_set_classify_time_limit(0);
}

TEST(ClassifyTimeLimit, VerdictsReachedWithinTheLimitAreUnchangedAndOtherThreadsAreNotBound) {
    int clues[81], groups[81];
    digits(kClassic, clues);
    for (int k = 0; k < 81; ++k) groups[k] = (k / 27) * 3 + (k % 9) / 3;
    ClassifyInfo free_info{}, bound_info{};
    ASSERT_EQ(sudoku_classify_clues(clues, groups, 0, 0, &free_info), 1);
    sudoku_set_classify_time_limit(60000);
    ASSERT_EQ(sudoku_classify_clues(clues, groups, 0, 0, &bound_info), 1);
    EXPECT_EQ(std::memcmp(&free_info, &bound_info, sizeof free_info), 0);
    // A limit no classification can meet holds on this thread only.
    sudoku_set_classify_time_limit(1);
    int empty[81] = {};
    ClassifyInfo elsewhere{};
    std::async(std::launch::async, [&] { return sudoku_classify_clues(empty, groups, 0, 0, &elsewhere); }).wait();
    EXPECT_STREQ(elsewhere.label, "unsolvable");
    EXPECT_EQ(elsewhere.solvable, 1) << "decided: more than one solution";
    sudoku_set_classify_time_limit(0);
}
