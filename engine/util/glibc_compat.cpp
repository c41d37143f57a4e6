// arc4random and its unbiased bounded draw over a per-thread pool of kernel random words.
#include <sys/random.h>

#include <cerrno>
#include <cstdlib>

#include "util/rand_utils.h"

namespace {

constexpr int kPoolWords = 64;

struct RandomPool {
    uint32_t pool[kPoolWords];
    uint32_t avail;
    bool seeded;
    uint64_t state;  // splitmix64 state of the seeded generator
};

thread_local RandomPool t_pool;

uint64_t splitmix64(uint64_t& s) {
    uint64_t z = (s += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

void refill(RandomPool& p) {
    if (p.seeded) {
        for (int i = 0; i < kPoolWords; ++i) p.pool[i] = static_cast<uint32_t>(splitmix64(p.state) >> 32);
    } else {
        auto* buf = reinterpret_cast<unsigned char*>(p.pool);
        size_t left = sizeof p.pool;
        while (left > 0) {
            ssize_t got = getrandom(buf, left, 0);
            if (got < 0) {
                if (errno == EINTR) continue;
                std::abort();
            }
            buf += got;
            left -= static_cast<size_t>(got);
        }
    }
    p.avail = kPoolWords;
}

inline uint32_t next_word(RandomPool& p) {
    if (p.avail == 0) refill(p);
    return p.pool[--p.avail];
}

}  // namespace

uint32_t arc4random(void) noexcept { return next_word(t_pool); }

uint32_t arc4random_uniform(uint32_t upper) noexcept {
    if (upper < 2) return 0;
    const uint32_t threshold = (0u - upper) % upper;
    RandomPool& p = t_pool;
    for (;;) {
        uint32_t w = next_word(p);
        if (w >= threshold) return w % upper;
    }
}

void rand_seed_thread(uint64_t seed) {
    t_pool.seeded = true;
    t_pool.state = seed;
    t_pool.avail = 0;
}

void rand_unseed_thread() {
    t_pool.seeded = false;
    t_pool.avail = 0;
}
