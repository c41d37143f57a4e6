// Bounds on work and input at the library's boundary: oversized pictures, map files that are not
// regular files, and classifications that must stop when the caller's time runs out.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
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
