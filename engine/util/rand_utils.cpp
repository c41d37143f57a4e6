// Seeding of the C library's rand for callers that still use it.
#include "util/rand_utils.h"

#include <cstdlib>
#include <ctime>

void initialize_rand(void) {
    time_t now = std::time(nullptr);
    unsigned seed = now != static_cast<time_t>(-1) ? static_cast<unsigned>(now) : static_cast<unsigned>(std::clock());
    std::srand(seed);
    for (int i = 0; i < 3; ++i) (void)arc4random();
}
