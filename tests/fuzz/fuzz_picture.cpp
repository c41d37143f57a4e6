// Pictures through all four picture calls: the first bytes give the size and the pixel format, the
// rest the pixels (repeated to fill the picture), so that small inputs still make whole pictures.
#include "ffi/quorvel.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in{data, size};
    // 27..154 a side keeps one reading within milliseconds; below 27 exercises the refusals.
    const int w = 20 + in.pick(135), h = 20 + in.pick(135), bpp = in.pick(6);
    const std::vector<uint8_t> body = in.bytes(in.left());
    std::vector<uint8_t> pixels(static_cast<size_t>(w) * h * (bpp > 0 ? bpp : 1));
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = body.empty() ? 0 : body[i % body.size()];
    int out[81];
    sudoku_ocr_locate(pixels.data(), w, h, bpp, out);
    sudoku_ocr_regions(pixels.data(), w, h, bpp, out);
    sudoku_ocr_detect_x(pixels.data(), w, h, bpp);
    sudoku_ocr_recognize(pixels.data(), w, h, bpp, out);
    return 0;
}
