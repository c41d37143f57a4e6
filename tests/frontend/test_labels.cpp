// Technique names as the front ends read and show them, derived from the engine's technique table.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "labels.h"

namespace {

TEST(Labels, LadderNamesAndNumbersReadBothWays) {
    std::set<std::string> names;
    for (int level = 0; level <= 16; ++level) {
        const int method = frontend::ladder_method(level);
        const std::string name = frontend::technique_name(method);
        EXPECT_NE(name, "technique") << level;
        names.insert(name);
        if (level < 16) {
            EXPECT_EQ(frontend::parse_technique(name.c_str()), method) << name;
        }
        // Numbers are read up to the search's (27); w-wing (51) goes by its name.
        EXPECT_EQ(frontend::parse_technique(std::to_string(method).c_str()), method <= 27 ? method : -1);
    }
    EXPECT_EQ(names.size(), 17u);
    EXPECT_EQ(frontend::ladder_method(5), 7);  // x-wing
    EXPECT_STREQ(frontend::technique_name(27), "search");
    EXPECT_STREQ(frontend::technique_name(18), "technique");  // finned fish is off the ladder
    for (const char* bad : {"search", "28", "-1", "x-wing ", "", "7x"}) EXPECT_EQ(frontend::parse_technique(bad), -1) << bad;
}

TEST(Labels, VariantsOfATechniqueShareItsTitle) {
    EXPECT_EQ(frontend::technique_title(32), frontend::technique_title(1));  // a hidden single's kinds
    EXPECT_EQ(frontend::technique_title(1), "Hidden single");
    EXPECT_EQ(frontend::technique_title(14), "XYZ-wing");
    EXPECT_EQ(frontend::technique_title(29), "Technique 29");
    EXPECT_EQ(frontend::bucket_title("moderately_easy"), "Moderately easy");
    EXPECT_EQ(frontend::bucket_title(nullptr), "Custom");
}

}  // namespace
