// quadrillo-render: writes one seeded puzzle picture and, on request, its ground truth as JSON.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "render.h"

// The system fontconfig loses a small block while parsing its configuration files; the leak
// checker of sanitizer builds would otherwise fail every run on that alone.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

namespace {

int usage(const char* why) {
  if (why) std::fprintf(stderr, "quadrillo-render: %s\n", why);
  std::fprintf(stderr,
               "usage: quadrillo-render --seed S --out pic.png|pic.jpg [--truth truth.json]\n"
               "         [--style any|newspaper|book|app|app-dark] [--photo auto|clean|mild|rough]\n"
               "         [--regions auto|boxes|walls|colours|walls+colours]\n"
               "         [--diagonals auto|none|shade|tint|line] [--marks auto|none|some]\n"
               "         [--size WxH] [--count N]\n"
               "With --count N, renders seeds S..S+N-1; %%d in the file names is replaced by the seed.\n");
  return 2;
}

bool parse_u64(const char* s, unsigned long long& v) {
  char* end = nullptr;
  errno = 0;
  v = std::strtoull(s, &end, 10);
  return *s && *s != '-' && end && *end == 0 && errno == 0;
}

std::string with_seed(const std::string& pattern, unsigned long long seed) {
  std::string out;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] == 'd') {
      out += std::to_string(seed);
      ++i;
    } else {
      out += pattern[i];
    }
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  render::Options opt;
  std::string out, truth;
  unsigned long long seed = 0, count = 1;
  bool have_seed = false;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "-h" || a == "--help") return usage(nullptr);
    if (i + 1 >= argc) return usage(("missing value after " + a).c_str());
    const char* v = argv[++i];
    bool ok = true;
    if (a == "--seed") ok = have_seed = parse_u64(v, seed);
    else if (a == "--count") ok = parse_u64(v, count) && count >= 1;
    else if (a == "--out") out = v;
    else if (a == "--truth") truth = v;
    else if (a == "--style") ok = render::parse_style(v, opt.style);
    else if (a == "--photo") ok = render::parse_photo(v, opt.photo);
    else if (a == "--regions") ok = render::parse_regions(v, opt.regions);
    else if (a == "--diagonals") ok = render::parse_diagonals(v, opt.diagonals);
    else if (a == "--marks") ok = render::parse_marks(v, opt.marks);
    else if (a == "--size") {
      int used = 0;
      ok = std::sscanf(v, "%dx%d%n", &opt.width, &opt.height, &used) == 2 && v[used] == 0;
    }
    else return usage(("unknown option " + a).c_str());
    if (!ok) return usage(("bad value for " + a + ": " + v).c_str());
  }
  if (!have_seed || out.empty()) return usage("--seed and --out are required");
  for (unsigned long long k = 0; k < count; ++k) {
    opt.seed = seed + k;
    imageio::Image img;
    render::Truth t;
    std::string err;
    if (!render::render(opt, img, t, &err)) {
      std::fprintf(stderr, "quadrillo-render: %s\n", err.c_str());
      return 1;
    }
    std::string path = count > 1 ? with_seed(out, opt.seed) : out;
    if (!imageio::write_image(path, img, 92, &err)) {
      std::fprintf(stderr, "quadrillo-render: %s\n", err.c_str());
      return 1;
    }
    if (!truth.empty()) {
      std::string tpath = count > 1 ? with_seed(truth, opt.seed) : truth;
      std::FILE* f = std::fopen(tpath.c_str(), "w");
      std::string json = render::truth_json(opt, t);
      bool wrote = f && std::fwrite(json.data(), 1, json.size(), f) == json.size();
      if (f && std::fclose(f) != 0) wrote = false;
      if (!wrote) {
        std::fprintf(stderr, "quadrillo-render: cannot write %s\n", tpath.c_str());
        return 1;
      }
    }
  }
  return 0;
}
