// Album blobs built and checked, compressed to files and read back.
#include "album.h"

#include <zlib.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace frontend {

bool album_blob(const AlbumSections& sections, std::vector<unsigned char>& out) {
    size_t total = 0;
    for (const auto& s : sections) total += s.size();
    if (total > kAlbumMaxRecords) return false;
    std::vector<unsigned char> blob(kAlbumHeaderBytes, 0);
    blob.reserve(kAlbumHeaderBytes + total * kRecordBytes);
    char header[kAlbumHeaderBytes] = {};
    std::snprintf(header, sizeof header, "SQD0.002%4d%4d%4d", static_cast<int>(sections[0].size()),
                  static_cast<int>(sections[1].size()), static_cast<int>(sections[2].size()));
    std::memcpy(blob.data(), header, sizeof header);
    for (const auto& s : sections)
        for (const unsigned char* r : s) blob.insert(blob.end(), r, r + kRecordBytes);
    out = std::move(blob);
    return true;
}

bool album_counts(const std::vector<unsigned char>& blob, unsigned counts[3]) {
    if (blob.size() < 20 || std::memcmp(blob.data(), "SQD0.002", 8) != 0) return false;
    unsigned read[3];
    for (int s = 0; s < 3; ++s) {
        char field[5] = {};
        std::memcpy(field, blob.data() + 8 + 4 * s, 4);
        // Blanks and then digits only: what the header writer's "%4d" gives.
        int k = 0;
        while (k < 4 && field[k] == ' ') ++k;
        for (int d = k; d < 4; ++d)
            if (field[d] < '0' || field[d] > '9') return false;
        read[s] = static_cast<unsigned>(std::strtoul(field, nullptr, 10));
    }
    std::memcpy(counts, read, sizeof read);
    return true;
}

bool compress_album(const std::vector<unsigned char>& blob, int level, std::vector<unsigned char>& packed) {
    uLongf packed_size = compressBound(blob.size());
    packed.resize(packed_size);
    if (compress2(packed.data(), &packed_size, blob.data(), blob.size(), level) != Z_OK) return false;
    packed.resize(packed_size);
    return true;
}

namespace {

bool engine_takes(const std::vector<unsigned char>& blob, const AlbumCalls& engine) {
    SudokuAlbum* album = engine.load(blob.data(), blob.size());
    engine.release(album);
    return album != nullptr;
}

std::string error_text(int code) { return std::strerror(code); }

}  // namespace

bool write_album_file(const std::string& path, const std::vector<unsigned char>& blob, int level,
                      const AlbumCalls& engine, std::string& why) {
    if (!engine_takes(blob, engine)) {
        why = path + ": the engine refuses the album this tool built; nothing written";
        return false;
    }
    std::vector<unsigned char> packed;
    if (!compress_album(blob, level, packed)) {
        why = path + ": compression failed";
        return false;
    }
    const std::string tmp = path + ".tmp";
    FILE* f = std::fopen(tmp.c_str(), "wb");
    if (!f) {
        why = tmp + ": " + error_text(errno);
        return false;
    }
    errno = 0;
    const bool written = std::fwrite(packed.data(), 1, packed.size(), f) == packed.size();
    const bool closed = std::fclose(f) == 0;
    if (!written || !closed || std::rename(tmp.c_str(), path.c_str()) != 0) {
        why = path + ": " + error_text(errno ? errno : EIO);
        std::remove(tmp.c_str());
        return false;
    }
    return true;
}

bool read_album_file(const std::string& path, const AlbumCalls& engine, AlbumFile& out, std::string& why) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        why = path + ": " + error_text(errno);
        return false;
    }
    // No stream that inflates within the limit is longer than this; what lies beyond is not read.
    const size_t most = compressBound(kAlbumInflatedLimit) + 1;
    std::vector<unsigned char> packed;
    unsigned char chunk[65536];
    for (size_t n; packed.size() < most && (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;)
        packed.insert(packed.end(), chunk, chunk + n);
    const bool read_error = std::ferror(f);
    std::fclose(f);
    if (read_error) {
        why = path + ": read error";
        return false;
    }
    std::vector<unsigned char> blob(kAlbumInflatedLimit, 0);
    z_stream zs;
    std::memset(&zs, 0, sizeof zs);
    zs.next_in = packed.data();
    zs.avail_in = static_cast<uInt>(packed.size());
    zs.next_out = blob.data();
    zs.avail_out = static_cast<uInt>(blob.size());
    bool inflated = false;
    if (!packed.empty() && inflateInit(&zs) == Z_OK) {
        inflated = inflate(&zs, Z_FINISH) == Z_STREAM_END;
        inflateEnd(&zs);
    }
    if (!inflated) {
        why = path + ": not a zlib-compressed album of at most " + std::to_string(kAlbumInflatedLimit) +
              " bytes (empty, damaged or too large)";
        return false;
    }
    blob.resize(zs.total_out);
    unsigned counts[3];
    if (!engine_takes(blob, engine) || !album_counts(blob, counts)) {
        why = path + ": not an album: wrong header, a length that does not match its counts, or damaged records";
        return false;
    }
    out.trailing = zs.avail_in != 0;
    out.blob = std::move(blob);
    std::memcpy(out.counts, counts, sizeof counts);
    return true;
}

}  // namespace frontend
