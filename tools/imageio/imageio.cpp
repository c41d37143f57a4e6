// PNG through libpng and JPEG through libjpeg, all via memory buffers.
#include "imageio.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cctype>
#include <cstring>

#include <jpeglib.h>
#include <png.h>

namespace imageio {
namespace {

bool fail(std::string* err, const std::string& why) {
  if (err) *err = why;
  return false;
}

bool slurp(const std::string& path, std::vector<unsigned char>& bytes, std::string* err) {
  bytes.clear();
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return fail(err, "cannot open " + path);
  unsigned char buf[65536];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.insert(bytes.end(), buf, buf + n);
  bool bad = std::ferror(f) != 0;
  std::fclose(f);
  if (bad) return fail(err, "cannot read " + path);
  return true;
}

bool spill(const std::string& path, const std::vector<unsigned char>& bytes, std::string* err) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return fail(err, "cannot create " + path);
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = (std::fclose(f) == 0) && ok;
  if (!ok) return fail(err, "cannot write " + path);
  return true;
}

bool sides_ok(long w, long h) { return w > 0 && h > 0 && w <= kMaxSide && h <= kMaxSide && w * h <= kMaxPixels; }

// ---- PNG ----

struct PngCtx {
  std::jmp_buf jump;
  char message[200];
  const unsigned char* src;
  std::size_t size;
  std::size_t pos;
  std::vector<unsigned char>* dst;
};

void png_on_error(png_structp png, png_const_charp msg) {
  auto* ctx = static_cast<PngCtx*>(png_get_error_ptr(png));
  std::snprintf(ctx->message, sizeof ctx->message, "%s", msg ? msg : "PNG error");
  std::longjmp(ctx->jump, 1);
}

void png_on_warning(png_structp, png_const_charp) {}

void png_read_mem(png_structp png, png_bytep out, png_size_t n) {
  auto* ctx = static_cast<PngCtx*>(png_get_io_ptr(png));
  if (n > ctx->size - ctx->pos) png_error(png, "truncated PNG data");
  std::memcpy(out, ctx->src + ctx->pos, n);
  ctx->pos += n;
}

void png_write_mem(png_structp png, png_bytep in, png_size_t n) {
  auto* ctx = static_cast<PngCtx*>(png_get_io_ptr(png));
  ctx->dst->insert(ctx->dst->end(), in, in + n);
}

void png_flush_mem(png_structp) {}

// Runs the decoder; every object with a destructor lives in the caller so the error jump skips none.
bool png_decode_core(png_structp png, png_infop info, PngCtx& ctx, Image& out,
                     std::vector<png_bytep>& rows) {
  if (setjmp(ctx.jump)) return false;
  png_set_read_fn(png, &ctx, png_read_mem);
  png_read_info(png, info);
  png_uint_32 w = png_get_image_width(png, info), h = png_get_image_height(png, info);
  if (!sides_ok(long(w), long(h))) {
    std::snprintf(ctx.message, sizeof ctx.message, "PNG size %ux%u out of range", unsigned(w),
                  unsigned(h));
    return false;
  }
  int type = png_get_color_type(png, info);
  png_set_expand(png);  // palette to RGB, low-depth grey to 8 bits, tRNS to alpha
  png_set_strip_16(png);
  if (type == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  int bpp = png_get_channels(png, info);
  if (bpp == 2) bpp = 4;  // cannot happen after gray_to_rgb, kept as a guard
  if (bpp != 1 && bpp != 3 && bpp != 4) {
    std::snprintf(ctx.message, sizeof ctx.message, "unsupported PNG channel count %d", bpp);
    return false;
  }
  if (png_get_rowbytes(png, info) != std::size_t(w) * bpp) {
    std::snprintf(ctx.message, sizeof ctx.message, "unexpected PNG row size");
    return false;
  }
  out.w = int(w);
  out.h = int(h);
  out.bpp = bpp;
  out.px.resize(std::size_t(w) * h * bpp);
  rows.resize(h);
  for (png_uint_32 y = 0; y < h; ++y) rows[y] = out.px.data() + std::size_t(y) * w * bpp;
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);
  return true;
}

bool png_encode_core(png_structp png, png_infop info, PngCtx& ctx, const Image& img,
                     std::vector<png_bytep>& rows) {
  if (setjmp(ctx.jump)) return false;
  png_set_write_fn(png, &ctx, png_write_mem, png_flush_mem);
  int type = img.bpp == 1 ? PNG_COLOR_TYPE_GRAY
             : img.bpp == 3 ? PNG_COLOR_TYPE_RGB
                            : PNG_COLOR_TYPE_RGB_ALPHA;
  png_set_IHDR(png, info, img.w, img.h, 8, type, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_set_compression_level(png, 3);  // pictures are written by the thousand; speed over size
  png_write_info(png, info);
  rows.resize(img.h);
  auto* base = const_cast<unsigned char*>(img.px.data());
  for (int y = 0; y < img.h; ++y) rows[y] = base + std::size_t(y) * img.w * img.bpp;
  png_write_image(png, rows.data());
  png_write_end(png, nullptr);
  return true;
}

// ---- JPEG ----

struct JpegErr {
  jpeg_error_mgr mgr;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void jpeg_on_error(j_common_ptr cinfo) {
  auto* e = reinterpret_cast<JpegErr*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, e->message);
  std::longjmp(e->jump, 1);
}

void jpeg_quiet(j_common_ptr, int) {}

void jpeg_err_init(JpegErr& e) {
  jpeg_std_error(&e.mgr);
  e.mgr.error_exit = jpeg_on_error;
  e.mgr.emit_message = jpeg_quiet;
  e.message[0] = 0;
}

bool jpeg_decode_core(jpeg_decompress_struct& cinfo, JpegErr& e, const unsigned char* data,
                      std::size_t size, Image& out) {
  if (setjmp(e.jump)) return false;
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
  jpeg_read_header(&cinfo, TRUE);
  if (!sides_ok(long(cinfo.image_width), long(cinfo.image_height))) {
    std::snprintf(e.message, sizeof e.message, "JPEG size out of range");
    return false;
  }
  if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK) {
    std::snprintf(e.message, sizeof e.message, "CMYK JPEG not supported");
    return false;
  }
  cinfo.out_color_space = cinfo.num_components == 1 ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_start_decompress(&cinfo);
  int bpp = cinfo.output_components;
  out.w = int(cinfo.output_width);
  out.h = int(cinfo.output_height);
  out.bpp = bpp;
  out.px.resize(std::size_t(out.w) * out.h * bpp);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = out.px.data() + std::size_t(cinfo.output_scanline) * out.w * bpp;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  return true;
}

// `rgb` holds an alpha-free copy when the input is RGBA; `mem`/`mem_size` receive the encoder's buffer.
bool jpeg_encode_core(jpeg_compress_struct& cinfo, JpegErr& e, const Image& img, int quality,
                      const std::vector<unsigned char>& rgb, unsigned char** mem,
                      unsigned long* mem_size) {
  if (setjmp(e.jump)) return false;
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, mem, mem_size);
  cinfo.image_width = JDIMENSION(img.w);
  cinfo.image_height = JDIMENSION(img.h);
  cinfo.input_components = img.bpp == 1 ? 1 : 3;
  cinfo.in_color_space = img.bpp == 1 ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, std::clamp(quality, 1, 100), TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  const unsigned char* base = img.bpp == 4 ? rgb.data() : img.px.data();
  int stride = img.w * cinfo.input_components;
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<unsigned char*>(base) + std::size_t(cinfo.next_scanline) * stride;
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  return true;
}

bool has_suffix(const std::string& s, const char* suf) {
  std::size_t n = std::strlen(suf);
  if (s.size() < n) return false;
  for (std::size_t i = 0; i < n; ++i)
    if (std::tolower(static_cast<unsigned char>(s[s.size() - n + i])) != suf[i]) return false;
  return true;
}

}  // namespace

bool valid(const Image& img) {
  return sides_ok(img.w, img.h) && (img.bpp == 1 || img.bpp == 3 || img.bpp == 4) &&
         img.px.size() == std::size_t(img.w) * img.h * img.bpp;
}

bool decode_png(const unsigned char* data, std::size_t size, Image& out, std::string* err) {
  out = Image{};
  if (!data || size < 8 || png_sig_cmp(data, 0, 8) != 0) return fail(err, "not a PNG");
  PngCtx ctx{};
  ctx.src = data;
  ctx.size = size;
  png_structp png =
      png_create_read_struct(PNG_LIBPNG_VER_STRING, &ctx, png_on_error, png_on_warning);
  if (!png) return fail(err, "out of memory");
  png_infop info = png_create_info_struct(png);
  std::vector<png_bytep> rows;
  bool ok = info && png_decode_core(png, info, ctx, out, rows);
  png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
  if (!ok) {
    out = Image{};
    return fail(err, std::string("PNG: ") + ctx.message);
  }
  return true;
}

bool encode_png(const Image& img, std::vector<unsigned char>& out, std::string* err) {
  out.clear();
  if (!valid(img)) return fail(err, "invalid image record");
  PngCtx ctx{};
  ctx.dst = &out;
  png_structp png =
      png_create_write_struct(PNG_LIBPNG_VER_STRING, &ctx, png_on_error, png_on_warning);
  if (!png) return fail(err, "out of memory");
  png_infop info = png_create_info_struct(png);
  std::vector<png_bytep> rows;
  bool ok = info && png_encode_core(png, info, ctx, img, rows);
  png_destroy_write_struct(&png, info ? &info : nullptr);
  if (!ok) {
    out.clear();
    return fail(err, std::string("PNG: ") + ctx.message);
  }
  return true;
}

bool read_png(const std::string& path, Image& out, std::string* err) {
  std::vector<unsigned char> bytes;
  if (!slurp(path, bytes, err)) return (out = Image{}, false);
  return decode_png(bytes.data(), bytes.size(), out, err);
}

bool write_png(const std::string& path, const Image& img, std::string* err) {
  std::vector<unsigned char> bytes;
  return encode_png(img, bytes, err) && spill(path, bytes, err);
}

bool decode_jpeg(const unsigned char* data, std::size_t size, Image& out, std::string* err) {
  out = Image{};
  if (!data || size < 4 || data[0] != 0xFF || data[1] != 0xD8) return fail(err, "not a JPEG");
  jpeg_decompress_struct cinfo{};
  JpegErr e;
  jpeg_err_init(e);
  cinfo.err = &e.mgr;
  bool ok = jpeg_decode_core(cinfo, e, data, size, out);
  jpeg_destroy_decompress(&cinfo);
  if (!ok) {
    out = Image{};
    return fail(err, std::string("JPEG: ") + e.message);
  }
  return true;
}

bool encode_jpeg(const Image& img, int quality, std::vector<unsigned char>& out,
                 std::string* err) {
  out.clear();
  if (!valid(img)) return fail(err, "invalid image record");
  std::vector<unsigned char> rgb;
  if (img.bpp == 4) {
    std::size_t n = std::size_t(img.w) * img.h;
    rgb.resize(n * 3);
    for (std::size_t i = 0; i < n; ++i) std::memcpy(&rgb[i * 3], &img.px[i * 4], 3);
  }
  jpeg_compress_struct cinfo{};
  JpegErr e;
  jpeg_err_init(e);
  cinfo.err = &e.mgr;
  unsigned char* mem = nullptr;
  unsigned long mem_size = 0;
  bool ok = jpeg_encode_core(cinfo, e, img, quality, rgb, &mem, &mem_size);
  jpeg_destroy_compress(&cinfo);
  if (ok && mem) out.assign(mem, mem + mem_size);
  std::free(mem);
  if (!ok) return fail(err, std::string("JPEG: ") + e.message);
  return true;
}

bool read_jpeg(const std::string& path, Image& out, std::string* err) {
  std::vector<unsigned char> bytes;
  if (!slurp(path, bytes, err)) return (out = Image{}, false);
  return decode_jpeg(bytes.data(), bytes.size(), out, err);
}

bool write_jpeg(const std::string& path, const Image& img, int quality, std::string* err) {
  std::vector<unsigned char> bytes;
  return encode_jpeg(img, quality, bytes, err) && spill(path, bytes, err);
}

bool jpeg_round_trip(Image& img, int quality, std::string* err) {
  std::vector<unsigned char> bytes;
  Image back;
  if (!encode_jpeg(img, quality, bytes, err) || !decode_jpeg(bytes.data(), bytes.size(), back, err))
    return false;
  if (back.w != img.w || back.h != img.h) return fail(err, "JPEG round trip changed the size");
  std::size_t n = std::size_t(img.w) * img.h;
  if (img.bpp == 4) {
    for (std::size_t i = 0; i < n; ++i) std::memcpy(&img.px[i * 4], &back.px[i * 3], 3);
  } else {
    img.px = std::move(back.px);
  }
  return true;
}

bool read_image(const std::string& path, Image& out, std::string* err) {
  std::vector<unsigned char> bytes;
  if (!slurp(path, bytes, err)) return (out = Image{}, false);
  if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xD8)
    return decode_jpeg(bytes.data(), bytes.size(), out, err);
  return decode_png(bytes.data(), bytes.size(), out, err);
}

bool write_image(const std::string& path, const Image& img, int quality, std::string* err) {
  if (has_suffix(path, ".jpg") || has_suffix(path, ".jpeg"))
    return write_jpeg(path, img, quality, err);
  return write_png(path, img, err);
}

}  // namespace imageio
