// Deterministic random numbers for map generation: splitmix64 seeding a xoshiro256** stream.
#pragma once

#include <cstdint>

namespace mapgen {

class Rng {
 public:
  explicit Rng(std::uint64_t seed) {
    for (auto& word : s_) word = splitmix(seed);
  }

  std::uint64_t next() {
    const std::uint64_t result = rotl(s_[1] * 5, 7) * 9;
    const std::uint64_t t = s_[1] << 17;
    s_[2] ^= s_[0];
    s_[3] ^= s_[1];
    s_[1] ^= s_[2];
    s_[0] ^= s_[3];
    s_[2] ^= t;
    s_[3] = rotl(s_[3], 45);
    return result;
  }

  // Uniform in [0, n) for n > 0, by rejection so that no value is favoured.
  std::uint32_t below(std::uint32_t n) {
    const std::uint64_t limit = UINT64_MAX - UINT64_MAX % n;
    std::uint64_t x;
    do x = next();
    while (x >= limit);
    return static_cast<std::uint32_t>(x % n);
  }

 private:
  static std::uint64_t splitmix(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  static std::uint64_t rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

  std::uint64_t s_[4];
};

}  // namespace mapgen
