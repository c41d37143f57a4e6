// Reading and writing PNG and JPEG pictures into one plain pixel record.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace imageio {

// Rows packed top to bottom, no padding: px.size() == w * h * bpp.
// bpp 1 is grey, 3 is RGB, 4 is RGBA; samples are 8 bits.
struct Image {
  int w = 0;
  int h = 0;
  int bpp = 0;
  std::vector<unsigned char> px;
};

// Pictures beyond this many pixels on a side, or in all, are refused on read, so a hostile
// header cannot ask for an absurd allocation.
inline constexpr int kMaxSide = 32768;
inline constexpr long kMaxPixels = 1L << 27;

// True when the record's fields are consistent (bpp 1, 3 or 4, sizes positive, buffer full).
bool valid(const Image& img);

// Each call returns true on success; on failure it returns false, leaves `out` empty
// and, when `err` is given, says why.
//
// PNG: palette, low bit depths and 16-bit samples come back as 8-bit; grey stays bpp 1,
// grey with alpha becomes RGBA, RGB stays bpp 3, RGBA bpp 4.
bool read_png(const std::string& path, Image& out, std::string* err = nullptr);
bool write_png(const std::string& path, const Image& img, std::string* err = nullptr);
bool encode_png(const Image& img, std::vector<unsigned char>& out, std::string* err = nullptr);
bool decode_png(const unsigned char* data, std::size_t size, Image& out, std::string* err = nullptr);

// JPEG: grey files come back as bpp 1, colour files as bpp 3. Writing an RGBA picture
// drops the alpha. `quality` is 1..100 (clamped).
bool read_jpeg(const std::string& path, Image& out, std::string* err = nullptr);
bool write_jpeg(const std::string& path, const Image& img, int quality, std::string* err = nullptr);
bool encode_jpeg(const Image& img, int quality, std::vector<unsigned char>& out,
                 std::string* err = nullptr);
bool decode_jpeg(const unsigned char* data, std::size_t size, Image& out, std::string* err = nullptr);

// Compresses and decompresses in memory, as a photo passed through a camera or a web page
// would be. Keeps w, h and bpp (RGBA keeps its alpha plane untouched).
bool jpeg_round_trip(Image& img, int quality, std::string* err = nullptr);

// Reads either format, chosen by the file's first bytes.
bool read_image(const std::string& path, Image& out, std::string* err = nullptr);
// Writes by the file name's extension: ".jpg"/".jpeg" as JPEG at `quality`, anything else as PNG.
bool write_image(const std::string& path, const Image& img, int quality = 92,
                 std::string* err = nullptr);

}  // namespace imageio
