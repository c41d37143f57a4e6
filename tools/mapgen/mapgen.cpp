// Command line: writes the fifteen jigsaw group-map files, or checks a directory of them.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "check.h"
#include "families.h"
#include "mapfile.h"

using namespace mapgen;

namespace {

constexpr std::uint64_t kDefaultSeed = 0x5EED0F3A9C1B2D47ull;
constexpr int kDefaultCount = 500;

int usage() {
  std::fprintf(stderr,
               "usage: mapgen [--count N] [--seed S] [--only NAME] <output-dir>\n"
               "       mapgen --check <dir>\n"
               "Writes mir01.z .. mir10.z, rot_2grp01.z, rot_3grp01.z .. rot_3grp04.z with N maps\n"
               "each (default %d) from seed S (default %llu). --only writes one file; its maps\n"
               "then differ from a full run, which also keeps maps distinct across files.\n",
               kDefaultCount, static_cast<unsigned long long>(kDefaultSeed));
  return 2;
}

template <typename T>
T median(std::vector<T> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

void print_stats(const Family& f, const GeneratedFile& g, double seconds) {
  std::vector<int> min_share, median_share, displacement;
  std::vector<long> median_regular, median_x;
  int capped_regular = 0, capped_x = 0;
  for (std::size_t i = 0; i < g.maps.size(); ++i) {
    const Wildness w = wildness(g.maps[i]);
    min_share.push_back(w.min_share);
    median_share.push_back(w.median_share);
    displacement.push_back(w.displacement);
    median_regular.push_back(g.fills[i].median_regular);
    capped_regular += g.fills[i].capped_regular;
    median_x.push_back(g.fills[i].median_x);
    capped_x += g.fills[i].capped_x;
  }
  auto lo = [](const auto& v) { return *std::min_element(v.begin(), v.end()); };
  auto hi = [](const auto& v) { return *std::max_element(v.begin(), v.end()); };
  // Share of all fill runs that hit the cap (a map may have 8 - kFillsNeeded such runs).
  auto percent = [&](int capped) { return 100.0 * capped / (8.0 * static_cast<double>(g.maps.size())); };
  std::printf(
      "%-10s %s %4zu maps | min share %d..%d med %d | median share med %d | displaced %d..%d med %d"
      "\n           fill nodes per map, median of 8 runs: regular med %ld max %ld, x med %ld max %ld;"
      " runs capped at %ld: regular %.1f%%, x %.1f%% | walk %ld steps of %ld proposals | %.1fs\n",
      f.name, kind_tag(f.kind), g.maps.size(), lo(min_share), hi(min_share), median(min_share),
      median(median_share), lo(displacement), hi(displacement), median(displacement),
      median(median_regular), hi(median_regular), median(median_x), hi(median_x), kFillCap,
      percent(capped_regular), percent(capped_x), g.steps, g.proposals, seconds);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  int count = kDefaultCount;
  std::uint64_t seed = kDefaultSeed;
  std::string only, dir;
  bool check = false;
  CLI::App app;
  app.set_help_flag();
  app.add_option("--count", count);
  app.add_option("--seed", seed);
  app.add_option("--only", only);
  app.add_flag("--check", check);
  app.add_option("dir", dir);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError&) {
    return usage();
  }
  if (dir.empty() || count < 1) return usage();
  if (!only.empty() && !find_family(only)) return usage();

  if (check) {
    const int problems = check_files(dir);
    std::printf("%s\n", problems ? "CHECK FAILED" : "all files check out");
    return problems ? 1 : 0;
  }

  // Inflated content must stay well below the reader's buffer.
  if (kHeaderSize + static_cast<std::size_t>(count) * record_size(Kind::Mirror) > kInflatedLimit / 2) {
    std::fprintf(stderr, "mapgen: --count %d would make files too large\n", count);
    return 2;
  }

  const auto start = std::chrono::steady_clock::now();
  std::set<Map> seen;
  for (std::size_t index = 0; index < families().size(); ++index) {
    const Family& f = families()[index];
    if (!only.empty() && only != f.name) continue;
    const auto t0 = std::chrono::steady_clock::now();
    GeneratedFile g;
    // Each file has its own stream, so a change to one family leaves the others' walks alone
    // (their maps can still change through the cross-file distinctness).
    if (!generate_family(f, count, seed + 0x9E3779B97F4A7C15ull * (index + 1), seen, g)) {
      std::fprintf(stderr, "mapgen: %s: the walk stalled after %zu maps\n", f.name, g.maps.size());
      return 1;
    }
    std::vector<Record> records;
    for (const Map& m : g.maps) records.push_back(encode_record(m, f.kind));
    const std::string path = dir + "/" + f.name + ".z";
    if (!write_compressed(path, file_content(f.kind, records))) {
      std::fprintf(stderr, "mapgen: cannot write %s\n", path.c_str());
      return 1;
    }
    print_stats(f, g, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
  }
  std::printf("total %.1fs\n", std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  return 0;
}
