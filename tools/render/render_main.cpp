// quadrillo-render: writes one seeded puzzle picture and, on request, its ground truth as JSON.
#include <CLI/CLI.hpp>

#include <cerrno>
#include <functional>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "render.h"

// The system fontconfig loses a small block while parsing its configuration files; the leak
// checker of sanitizer builds would otherwise fail every run on that alone.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

namespace {

// Ends the reading of the arguments with the usage and, unless empty, the reason.
struct Usage {
  std::string why;
};

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
  // Each value is checked as it is read; the first bad one ends the run with the usage.
  CLI::App app;
  app.set_help_flag();
  app.allow_extras();
  app.add_flag_callback("-h,--help", [] { throw Usage{""}; })->trigger_on_parse();
  auto option = [&](const char* name, std::function<bool(const char*)> take) {
    app.add_option_function<std::string>(name, [name, take](const std::string& v) {
      if (!take(v.c_str())) throw Usage{std::string("bad value for ") + name + ": " + v};
    })->trigger_on_parse();
  };
  option("--seed", [&](const char* v) { return have_seed = parse_u64(v, seed); });
  option("--count", [&](const char* v) { return parse_u64(v, count) && count >= 1; });
  option("--out", [&](const char* v) { return out = v, true; });
  option("--truth", [&](const char* v) { return truth = v, true; });
  option("--style", [&](const char* v) { return render::parse_style(v, opt.style); });
  option("--photo", [&](const char* v) { return render::parse_photo(v, opt.photo); });
  option("--regions", [&](const char* v) { return render::parse_regions(v, opt.regions); });
  option("--diagonals", [&](const char* v) { return render::parse_diagonals(v, opt.diagonals); });
  option("--marks", [&](const char* v) { return render::parse_marks(v, opt.marks); });
  option("--size", [&](const char* v) {
    int used = 0;
    return std::sscanf(v, "%dx%d%n", &opt.width, &opt.height, &used) == 2 && v[used] == 0;
  });
  try {
    app.parse(argc, argv);
  } catch (const Usage& u) {
    return usage(u.why.empty() ? nullptr : u.why.c_str());
  } catch (const CLI::ArgumentMismatch&) {
    return usage((std::string("missing value after ") + argv[argc - 1]).c_str());
  } catch (const CLI::ParseError& e) {
    return usage(e.what());
  }
  if (!app.remaining().empty()) return usage(("unknown option " + app.remaining().front()).c_str());
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
