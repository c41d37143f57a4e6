// The runner's title-bar rule, fed window-manager names no test machine runs.
#include <gtest/gtest.h>

#include <fl/fl.h>

#include "my_application.h"

// The runner's library needs an application to host; these tests never start one.
void fl_app_main(FlView*, char**) {}

TEST(TitleBar, HeaderBarUnlessAnotherX11WindowManager) {
    EXPECT_TRUE(my_application_use_header_bar(TRUE, "GNOME Shell"));
    EXPECT_FALSE(my_application_use_header_bar(TRUE, "Openbox"));
    EXPECT_FALSE(my_application_use_header_bar(TRUE, "unknown"));
    EXPECT_FALSE(my_application_use_header_bar(TRUE, "GNOME Shell "));  // compared exactly
    EXPECT_FALSE(my_application_use_header_bar(TRUE, nullptr));
    // Not an X11 screen (Wayland): always a header bar, whatever the name.
    EXPECT_TRUE(my_application_use_header_bar(FALSE, nullptr));
    EXPECT_TRUE(my_application_use_header_bar(FALSE, "Openbox"));
}
