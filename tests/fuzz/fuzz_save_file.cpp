// The game's save file: any bytes are read or refused with a reason, never read past their end;
// what is read writes back to bytes that read the same.
#include <zlib.h>

#include <cstdlib>

#include "fuzz_input.h"
#include "save_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // An exact-size copy, so that any read past the end is caught. An odd first byte has the
    // checksum at the end made right, so that the fuzzer gets past it to the fields.
    if (size == 0) return 0;
    std::vector<uint8_t> bytes(data + 1, data + size);
    if ((data[0] & 1) && bytes.size() >= 4) {
        const uint32_t crc = static_cast<uint32_t>(crc32(0L, bytes.data(), static_cast<uInt>(bytes.size() - 4)));
        for (int i = 0; i < 4; ++i) bytes[bytes.size() - 4 + i] = static_cast<uint8_t>(crc >> (8 * i));
    }
    game::SavedGame save;
    std::string why;
    if (!game::decode_save(bytes.data(), bytes.size(), save, why)) {
        if (why.empty()) std::abort();
        return 0;
    }
    const std::vector<unsigned char> written = game::encode_save(save);
    game::SavedGame again;
    if (!game::decode_save(written.data(), written.size(), again, why)) std::abort();
    if (game::encode_save(again) != written) std::abort();
    return 0;
}
