// Statistics and settings survive their text form, and bad text never breaks them.
#include <gtest/gtest.h>

#include "settings.h"
#include "statistics.h"

TEST(Statistics, WinsKeepBestAndAverageAndSurviveTheFile) {
    game::Statistics s;
    s.record_start(1, 1, 8);
    s.record_start(1, 1, 8);
    s.record_win(1, 1, 8, 300000);
    s.record_win(1, 1, 8, 200000);
    const game::Statistics back = game::Statistics::decode(s.encode() + "garbage line\n9 9 9 1 1 1 1\n");
    const game::Tally& t = back.by[1][1][8];
    EXPECT_EQ(t.played, 2);
    EXPECT_EQ(t.won, 2);
    EXPECT_EQ(t.best_ms, 200000);
    EXPECT_EQ(t.average_ms(), 250000);
    EXPECT_EQ(back.by[0][0][0].played, 0);
}

TEST(Settings, SurviveTheFileAndIgnoreNonsense) {
    game::Settings s;
    s.look = game::LookChoice::Dark;
    s.sounds = false;
    s.map_kind = 1;
    s.bucket = 7;
    const game::Settings back = game::Settings::decode(s.encode() + "bucket=banana\nmap=7\n");
    EXPECT_EQ(back.look, game::LookChoice::Dark);
    EXPECT_FALSE(back.sounds);
    EXPECT_EQ(back.map_kind, 1);
    EXPECT_EQ(back.bucket, 7);
}
