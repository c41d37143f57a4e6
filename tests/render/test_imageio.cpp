// PNG and JPEG reading and writing: exact PNG round trips, JPEG closeness, refusal of bad data.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include <zlib.h>

#include "imageio.h"

namespace {

imageio::Image gradient(int w, int h, int bpp) {
  imageio::Image img{w, h, bpp, {}};
  img.px.resize(std::size_t(w) * h * bpp);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < bpp; ++c)
        img.px[(std::size_t(y) * w + x) * bpp + c] = static_cast<unsigned char>((x * 3 + y * 5 + c * 60) & 255);
  return img;
}

std::string temp_path(const char* name) {
  const char* dir = std::getenv("TMPDIR");
  return std::string(dir ? dir : "/tmp") + "/quadrillo_imageio_" + name;
}

TEST(ImageIo, PngRoundTripIsExactForEveryLayout) {
  for (int bpp : {1, 3, 4}) {
    imageio::Image img = gradient(37, 23, bpp);
    std::string path = temp_path("rt.png");
    ASSERT_TRUE(imageio::write_png(path, img));
    imageio::Image back;
    ASSERT_TRUE(imageio::read_image(path, back));
    EXPECT_EQ(back.w, 37);
    EXPECT_EQ(back.h, 23);
    EXPECT_EQ(back.bpp, bpp);
    EXPECT_EQ(back.px, img.px) << "bpp " << bpp;
    std::remove(path.c_str());
  }
}

TEST(ImageIo, JpegKeepsSizeAndStaysClose) {
  for (int bpp : {1, 3, 4}) {
    imageio::Image img = gradient(64, 48, bpp);
    std::string path = temp_path("rt.jpg");
    ASSERT_TRUE(imageio::write_image(path, img, 95));
    imageio::Image back;
    ASSERT_TRUE(imageio::read_image(path, back));
    EXPECT_EQ(back.w, 64);
    EXPECT_EQ(back.h, 48);
    EXPECT_EQ(back.bpp, bpp == 1 ? 1 : 3);
    std::remove(path.c_str());

    imageio::Image mem = img;
    ASSERT_TRUE(imageio::jpeg_round_trip(mem, 90));
    ASSERT_EQ(mem.bpp, bpp);
    ASSERT_EQ(mem.px.size(), img.px.size());
    long total = 0;
    for (std::size_t i = 0; i < img.px.size(); ++i) total += std::abs(int(mem.px[i]) - int(img.px[i]));
    EXPECT_LT(double(total) / img.px.size(), 12.0) << "bpp " << bpp;
    if (bpp == 4) {
      for (std::size_t i = 3; i < img.px.size(); i += 4) ASSERT_EQ(mem.px[i], img.px[i]);
    }
  }
}

TEST(ImageIo, RefusesBrokenDataAndBadRecords) {
  imageio::Image out;
  std::string err;
  const unsigned char junk[] = {0x89, 'P', 'N', 'G', 13, 10, 26, 10, 0, 0, 0, 13, 'I', 'H'};
  EXPECT_FALSE(imageio::decode_png(junk, sizeof junk, out, &err));
  EXPECT_FALSE(err.empty());
  EXPECT_TRUE(out.px.empty());
  const unsigned char jpeg_head[] = {0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F'};
  EXPECT_FALSE(imageio::decode_jpeg(jpeg_head, sizeof jpeg_head, out, &err));
  EXPECT_FALSE(imageio::decode_png(nullptr, 0, out));
  EXPECT_FALSE(imageio::read_image(temp_path("does_not_exist.png"), out));

  std::vector<unsigned char> bytes;
  imageio::Image bad = gradient(4, 4, 3);
  bad.px.pop_back();
  EXPECT_FALSE(imageio::encode_png(bad, bytes));
  EXPECT_FALSE(imageio::encode_jpeg(bad, 80, bytes));
  bad = gradient(4, 4, 2);
  EXPECT_FALSE(imageio::encode_png(bad, bytes));

  // A truncated but well-started JPEG still decodes to its full size (the decoder pads), or fails cleanly.
  imageio::Image img = gradient(40, 40, 3);
  ASSERT_TRUE(imageio::encode_jpeg(img, 80, bytes));
  bytes.resize(bytes.size() / 2);
  if (imageio::decode_jpeg(bytes.data(), bytes.size(), out)) {
    EXPECT_EQ(out.px.size(), std::size_t(40 * 40 * 3));
  }
}

// A well-formed header claiming a vast picture is refused before anything is allocated for it.
TEST(ImageIo, RefusesVastPngHeaders) {
  std::vector<unsigned char> bytes;
  ASSERT_TRUE(imageio::encode_png(gradient(4, 4, 1), bytes));
  auto set_be = [&](std::size_t at, std::uint32_t v) {
    for (int k = 0; k < 4; ++k) bytes[at + k] = static_cast<unsigned char>(v >> (24 - 8 * k));
  };
  for (std::uint32_t side : {30000u, 40000u}) {
    set_be(16, side);  // IHDR width and height
    set_be(20, side);
    set_be(29, std::uint32_t(crc32(0, &bytes[12], 17)));  // CRC over the chunk type and data
    imageio::Image out;
    std::string err;
    EXPECT_FALSE(imageio::decode_png(bytes.data(), bytes.size(), out, &err)) << side;
    EXPECT_NE(err.find("out of range"), std::string::npos) << err;
    EXPECT_TRUE(out.px.empty());
  }
}

}  // namespace
