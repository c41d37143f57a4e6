// Pictures per second of the puzzle picture renderer at 640x480, per capture kind and overall.
#include <CLI/CLI.hpp>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "render.h"

int main(int argc, char** argv) {
  int n = 60;
  CLI::App app{"Pictures per second of the puzzle renderer."};
  app.add_option("n", n, "pictures per capture kind")->capture_default_str()->check(CLI::PositiveNumber);
  CLI11_PARSE(app, argc, argv);
  const render::Photo kinds[] = {render::Photo::Clean, render::Photo::Mild, render::Photo::Rough, render::Photo::Auto};
  for (render::Photo p : kinds) {
    render::Options opt;
    opt.photo = p;
    imageio::Image img;
    render::Truth t;
    auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < n; ++i) {
      opt.seed = 1000 + i;
      if (!render::render(opt, img, t)) return 1;
    }
    double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    std::printf("render 640x480 photo=%-5s %6.1f pictures/s (%d pictures, %.3f s)\n", render::photo_name(p),
                n / s, n, s);
  }
  return 0;
}
