// Map files as they lie on disk: the first byte says whether the rest is the file itself (raw) or
// its inflated content, which is then compressed. Every map name points at that one file, so each
// draw of a jigsaw map reads it; album files go through the same reader.
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "album/queue_data.h"
#include "ffi/quorvel.h"
#include "fuzz_input.h"
#include "maps/GroupMap.h"
#include "maps/Filenames_cli.h"
#include "maps/zipinput.h"

namespace {

char g_dir[] = "/tmp/quadrillo-fuzz-maps-XXXXXX";

// The scratch directory, removed when the fuzzer exits.
std::string scratch_dir() {
    std::string dir = mkdtemp(g_dir);
    std::atexit([] { std::filesystem::remove_all(g_dir); });
    for (const char* name : jigsawGroupMapFilenames) symlink("content", (dir + "/" + name + ".z").c_str());
    if (symlink("content", (dir + "/album.z").c_str()) != 0) std::abort();
    set_group_maps_dir(dir.c_str());
    return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string dir = scratch_dir();
    FuzzInput in{data, size};
    const bool compress_it = in.byte() & 1;
    std::vector<uint8_t> content = in.bytes(in.left());
    if (compress_it) {
        uLongf n = compressBound(content.size());
        std::vector<uint8_t> packed(n);
        if (compress2(packed.data(), &n, content.data(), content.size(), 6) != Z_OK) return 0;
        packed.resize(n);
        content.swap(packed);
    }
    const std::string path = dir + "/content";
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    std::fwrite(content.data(), 1, content.size(), f);
    std::fclose(f);

    GroupMap map{};
    map.mapType = MAP_IRREGULAR;
    map.initMap();
    for (int k = 0; k < 81; ++k)
        if (map.groupMatrix[k / 9][k % 9] < 0 || map.groupMatrix[k / 9][k % 9] > 8) std::abort();
    for (int c : map.colorMap)
        if (c < 0 || c > 8) std::abort();
    delete queue_data_from_zipped_file("album");
    return 0;
}
