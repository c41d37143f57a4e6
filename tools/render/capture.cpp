// "Photographs" a drawn page: perspective and turn, uneven light, blur, sensor noise, JPEG.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "render_internal.h"

namespace render {
namespace {

struct Map {
  double h[9];
  void apply(double x, double y, double& ox, double& oy) const {
    double d = h[6] * x + h[7] * y + h[8];
    ox = (h[0] * x + h[1] * y + h[2]) / d;
    oy = (h[3] * x + h[4] * y + h[5]) / d;
  }
};

unsigned char clamp_byte(double v) { return static_cast<unsigned char>(v <= 0 ? 0 : v >= 255 ? 255 : v + 0.5); }

// Inverse-maps every picture pixel into the page and samples it bilinearly; page outside is table.
// The map's numerators and denominator are linear along a row, so they advance by addition.
void warp(const std::vector<unsigned char>& page, int w, int h, const Map& to_page, const Rgb& table,
          std::vector<unsigned char>& out) {
  const double tab[3] = {table.r * 255, table.g * 255, table.b * 255};
  const double* m = to_page.h;
  for (int y = 0; y < h; ++y) {
    double X = m[0] * 0.5 + m[1] * (y + 0.5) + m[2];
    double Y = m[3] * 0.5 + m[4] * (y + 0.5) + m[5];
    double D = m[6] * 0.5 + m[7] * (y + 0.5) + m[8];
    unsigned char* o = &out[std::size_t(y) * w * 3];
    for (int x = 0; x < w; ++x, X += m[0], Y += m[3], D += m[6], o += 3) {
      double u = X / D - 0.5, v = Y / D - 0.5;
      if (u >= 0 && v >= 0 && u < w - 1 && v < h - 1) {
        int x0 = int(u), y0 = int(v);
        int fx = int((u - x0) * 256), fy = int((v - y0) * 256);
        const unsigned char* p = &page[(std::size_t(y0) * w + x0) * 3];
        const unsigned char* q = p + std::size_t(w) * 3;
        int w00 = (256 - fx) * (256 - fy), w01 = fx * (256 - fy), w10 = (256 - fx) * fy, w11 = fx * fy;
        for (int c = 0; c < 3; ++c)
          o[c] = static_cast<unsigned char>((p[c] * w00 + p[c + 3] * w01 + q[c] * w10 + q[c + 3] * w11 + 32768) >> 16);
        continue;
      }
      if (!(u > -1 && v > -1 && u < w && v < h)) {
        for (int c = 0; c < 3; ++c) o[c] = clamp_byte(tab[c]);
        continue;
      }
      // The page's edge: taps that fall outside take the table's colour.
      int x0 = int(std::floor(u)), y0 = int(std::floor(v));
      double fx = u - x0, fy = v - y0;
      double acc[3] = {0, 0, 0};
      for (int k = 0; k < 4; ++k) {
        int sx = x0 + (k & 1), sy = y0 + (k >> 1);
        double wgt = ((k & 1) ? fx : 1 - fx) * ((k >> 1) ? fy : 1 - fy);
        bool out_tap = sx < 0 || sy < 0 || sx >= w || sy >= h;
        const unsigned char* p = out_tap ? nullptr : &page[(std::size_t(sy) * w + sx) * 3];
        for (int c = 0; c < 3; ++c) acc[c] += wgt * (out_tap ? tab[c] : p[c]);
      }
      for (int c = 0; c < 3; ++c) o[c] = clamp_byte(acc[c]);
    }
  }
}

void light(const CaptureParams& p, int w, int h, std::vector<unsigned char>& img) {
  double cx = w * 0.5, cy = h * 0.5, half = std::max(w, h) * 0.5;
  double ca = std::cos(p.light_angle), sa = std::sin(p.light_angle);
  double sc = std::cos(p.shadow_angle), ss = std::sin(p.shadow_angle);
  double sx = p.shadow_x * w, sy = p.shadow_y * h, soft = std::max(1.0, p.shadow_soft * half);
  const double gain[3] = {1 + p.warm - p.tint / 2, 1 + p.tint, 1 - p.warm - p.tint / 2};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      double dx = (x - cx) / half, dy = (y - cy) / half;
      double f = p.light_base * (1 + p.light_slope * (dx * ca + dy * sa)) * (1 - p.vignette * (dx * dx + dy * dy));
      if (p.shadow > 0) {
        double d = ((x - sx) * sc + (y - sy) * ss) / soft;  // signed distance across the shadow edge
        double t = d <= -1 ? 0 : d >= 1 ? 1 : 0.5 + 0.5 * std::sin(d * M_PI / 2);
        f *= 1 - p.shadow * t;
      }
      unsigned char* o = &img[(std::size_t(y) * w + x) * 3];
      for (int c = 0; c < 3; ++c) o[c] = clamp_byte(o[c] * f * gain[c]);
    }
}

// Separable Gaussian blur of an RGB buffer, edges clamped.
void blur(double sigma, int w, int h, std::vector<unsigned char>& img) {
  if (sigma < 0.2) return;
  int r = int(std::ceil(sigma * 2.5));
  std::vector<float> k(2 * r + 1);
  float sum = 0;
  for (int i = -r; i <= r; ++i) sum += k[i + r] = float(std::exp(-0.5 * i * i / (sigma * sigma)));
  for (float& v : k) v /= sum;
  const std::size_t row = std::size_t(w) * 3;
  std::vector<float> tmp(row * h), pad((w + 2 * r) * 3), acc(row);
  for (int y = 0; y < h; ++y) {
    const unsigned char* src = &img[y * row];
    for (int x = -r; x < w + r; ++x)
      for (int c = 0; c < 3; ++c) pad[(x + r) * 3 + c] = src[std::clamp(x, 0, w - 1) * 3 + c];
    float* dst = &tmp[y * row];
    for (std::size_t i = 0; i < row; ++i) dst[i] = 0;
    for (int t = 0; t <= 2 * r; ++t) {
      const float kt = k[t], *p = &pad[t * 3];
      for (std::size_t i = 0; i < row; ++i) dst[i] += kt * p[i];
    }
  }
  for (int y = 0; y < h; ++y) {
    for (std::size_t i = 0; i < row; ++i) acc[i] = 0;
    for (int t = -r; t <= r; ++t) {
      const float kt = k[t + r], *p = &tmp[std::clamp(y + t, 0, h - 1) * row];
      for (std::size_t i = 0; i < row; ++i) acc[i] += kt * p[i];
    }
    for (std::size_t i = 0; i < row; ++i) img[y * row + i] = clamp_byte(acc[i]);
  }
}

void noise(Rng& rng, double sigma, std::vector<unsigned char>& img) {
  if (sigma <= 0) return;
  // One draw gives four 16-bit uniforms: their sum is close enough to normal for sensor grain.
  const float luma_k = float(sigma * 1.7320508 / 65536.0), chroma_k = float(sigma * 0.6 / 65536.0);
  for (std::size_t i = 0; i + 2 < img.size(); i += 3) {
    std::uint64_t a = rng.next(), b = rng.next();
    float luma = float(int(a & 0xFFFF) + int(a >> 16 & 0xFFFF) + int(a >> 32 & 0xFFFF) + int(a >> 48) - 131072) * luma_k;
    for (int c = 0; c < 3; ++c) {
      float chroma = float(int(b >> (16 * c) & 0xFFFF) - 32768) * chroma_k;
      img[i + c] = clamp_byte(img[i + c] + luma + chroma);
    }
  }
}

bool inside(double x, double y, int w, int h) { return x >= 3 && y >= 3 && x <= w - 4 && y <= h - 4; }

}  // namespace

bool homography(const double sx[4], const double sy[4], const double dx[4], const double dy[4], double h[9]) {
  double a[8][9];
  for (int k = 0; k < 4; ++k) {
    double u = sx[k], v = sy[k], x = dx[k], y = dy[k];
    double r0[9] = {u, v, 1, 0, 0, 0, -u * x, -v * x, x};
    double r1[9] = {0, 0, 0, u, v, 1, -u * y, -v * y, y};
    std::memcpy(a[2 * k], r0, sizeof r0);
    std::memcpy(a[2 * k + 1], r1, sizeof r1);
  }
  for (int i = 0; i < 8; ++i) {
    int piv = i;
    for (int r = i + 1; r < 8; ++r)
      if (std::fabs(a[r][i]) > std::fabs(a[piv][i])) piv = r;
    if (std::fabs(a[piv][i]) < 1e-12) return false;
    if (piv != i)
      for (int c = 0; c < 9; ++c) std::swap(a[i][c], a[piv][c]);
    for (int r = 0; r < 8; ++r) {
      if (r == i) continue;
      double f = a[r][i] / a[i][i];
      for (int c = i; c < 9; ++c) a[r][c] -= f * a[i][c];
    }
  }
  for (int k = 0; k < 8; ++k) h[k] = a[k][8] / a[k][k];
  h[8] = 1;
  return true;
}

void choose_capture(Rng& rng, Photo photo, CaptureParams& p) {
  p = CaptureParams{};
  p.scale = 1;
  p.light_base = 1;
  static const Rgb tables[] = {{0.35, 0.25, 0.18}, {0.15, 0.15, 0.17}, {0.55, 0.5, 0.45}, {0.8, 0.8, 0.78}, {0.25, 0.3, 0.35}};
  p.table = rng.pick(tables);
  if (photo == Photo::Clean) return;
  bool rough = photo == Photo::Rough;
  double sgn = rng.chance(0.5) ? 1 : -1;
  p.rotation_deg = sgn * rng.uniform(0, rough ? 6 : 3);
  // Above 1 the camera is closer than the page is wide, so the paper runs past the picture.
  p.scale = rng.uniform(rough ? 0.8 : 0.88, 1.15);
  p.shift_x = rng.uniform(-1, 1) * (rough ? 0.05 : 0.03);
  p.shift_y = rng.uniform(-1, 1) * (rough ? 0.05 : 0.03);
  p.perspective = rough ? rng.uniform(0.02, 0.09) : rng.uniform(0, 0.04);
  p.light_base = rng.uniform(rough ? 0.7 : 0.85, 1.05);
  p.light_slope = rng.uniform(rough ? 0.1 : 0, rough ? 0.35 : 0.15);
  p.light_angle = rng.uniform(0, 2 * M_PI);
  p.vignette = rng.uniform(rough ? 0.1 : 0, rough ? 0.35 : 0.15);
  if (rng.chance(rough ? 0.5 : 0.3)) {
    p.shadow = rng.uniform(rough ? 0.2 : 0.1, rough ? 0.5 : 0.3);
    p.shadow_x = rng.unit();
    p.shadow_y = rng.unit();
    p.shadow_angle = rng.uniform(0, 2 * M_PI);
    p.shadow_soft = rng.uniform(0.02, 0.3);
  }
  p.warm = rng.uniform(-1, 1) * (rough ? 0.08 : 0.04);
  p.tint = rng.uniform(-1, 1) * (rough ? 0.06 : 0.03);
  p.blur_sigma = rng.uniform(rough ? 0.5 : 0, rough ? 2.4 : 0.8);
  p.noise_sigma = rng.uniform(rough ? 3 : 0, rough ? 10 : 4);
  p.jpeg_quality = rng.range(rough ? 35 : 60, rough ? 80 : 95);
}

bool capture(Rng& rng, CaptureParams& p, const std::vector<unsigned char>& page, int w, int h,
             const double gx[4], const double gy[4], imageio::Image& out, double px[4], double py[4]) {
  out.w = w;
  out.h = h;
  out.bpp = 3;
  out.px.assign(page.size(), 0);
  const double cx = w * 0.5, cy = h * 0.5, m = std::min(w, h);
  const double sx[4] = {0, double(w), double(w), 0}, sy[4] = {0, 0, double(h), double(h)};
  Map fwd{}, inv{};
  bool moved = p.rotation_deg != 0 || p.scale != 1 || p.perspective != 0 || p.shift_x != 0 || p.shift_y != 0;
  // Draw a pose; when it would push a grid corner out of the picture, try again more gently.
  for (int attempt = 0; moved; ++attempt) {
    double a = p.rotation_deg * M_PI / 180, ca = std::cos(a), sa = std::sin(a);
    double dx[4], dy[4];
    for (int k = 0; k < 4; ++k) {
      double vx = (sx[k] - cx) * p.scale, vy = (sy[k] - cy) * p.scale;
      dx[k] = cx + vx * ca - vy * sa + p.shift_x * w + rng.uniform(-1, 1) * p.perspective * m;
      dy[k] = cy + vx * sa + vy * ca + p.shift_y * h + rng.uniform(-1, 1) * p.perspective * m;
    }
    bool ok = homography(sx, sy, dx, dy, fwd.h) && homography(dx, dy, sx, sy, inv.h);
    for (int k = 0; ok && k < 4; ++k) {
      fwd.apply(gx[k] + 0.5, gy[k] + 0.5, px[k], py[k]);
      px[k] -= 0.5;
      py[k] -= 0.5;
      ok = inside(px[k], py[k], w, h);
    }
    if (ok) break;
    if (attempt >= 12) {
      moved = false;
      break;
    }
    p.rotation_deg *= 0.7;
    p.perspective *= 0.7;
    p.shift_x *= 0.5;
    p.shift_y *= 0.5;
    p.scale = std::max(0.6, p.scale - 0.04);
  }
  if (moved) {
    warp(page, w, h, inv, p.table, out.px);
  } else {
    p.rotation_deg = p.perspective = p.shift_x = p.shift_y = 0;
    p.scale = 1;
    out.px = page;
    for (int k = 0; k < 4; ++k) {
      px[k] = gx[k];
      py[k] = gy[k];
    }
  }
  if (p.light_base != 1 || p.light_slope != 0 || p.vignette != 0 || p.shadow != 0 || p.warm != 0 || p.tint != 0)
    light(p, w, h, out.px);
  blur(p.blur_sigma, w, h, out.px);
  noise(rng, p.noise_sigma, out.px);
  if (p.jpeg_quality > 0 && !imageio::jpeg_round_trip(out, p.jpeg_quality)) return false;
  return true;
}

}  // namespace render
