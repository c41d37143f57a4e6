// Writing group-map files for the tests: headers, packed records and zlib streams on disk.
#pragma once

#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "maps/GroupMap.h"

using Bytes = std::vector<unsigned char>;

// A scratch directory removed with the object.
struct TempDir {
    std::filesystem::path path;
    TempDir() {
        char tmpl[] = "/tmp/quadrillo-test-XXXXXX";
        path = mkdtemp(tmpl);
    }
    ~TempDir() { std::filesystem::remove_all(path); }
    std::string str() const { return path.string(); }
};

inline Bytes zlib_compress(const Bytes& raw) {
    uLongf size = compressBound(raw.size());
    Bytes out(size);
    compress2(out.data(), &size, raw.data(), raw.size(), 9);
    out.resize(size);
    return out;
}

inline void write_file(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

// The 80-byte header followed by the records.
inline Bytes map_file_content(const char* kind, int compressize, int n_maps, const std::vector<Bytes>& records) {
    char header[81];
    std::snprintf(header, sizeof header, "SGM0.001%.3s%2d%10d", kind, compressize, n_maps);
    Bytes out(80, ' ');
    for (int i = 0; i < 23; ++i) out[i] = static_cast<unsigned char>(header[i]);
    for (const Bytes& r : records)
        for (unsigned char b : r) out.push_back(b);
    return out;
}

// Packs cells 1..2*size of a 1-based map (cell 0 is implied to be group 1).
inline Bytes pack_record(const Matrix<int, 9>& one_based, int size) {
    Bytes rec(size);
    for (int i = 0; i < size; ++i) {
        int a = 2 * i + 1, b = 2 * i + 2;
        rec[i] = static_cast<unsigned char>(one_based[a / 9][a % 9] << 4 | one_based[b / 9][b % 9]);
    }
    return rec;
}

// Puts the same compressed content under all fifteen map names, so every draw reads it.
inline void write_all_map_files(const std::string& dir, const Bytes& compressed) {
    for (const char* name : jigsawGroupMapFilenames) write_file(dir + "/" + name + ".z", compressed);
}
