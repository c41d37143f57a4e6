// One-shot inflation of a compressed file: read it whole, inflate it into a buffer of fixed size.
#include "maps/zipinput.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>

namespace {

struct FileGuard {
    int fd;
    ~FileGuard() {
        if (fd >= 0) close(fd);
    }
};

}  // namespace

unsigned char* get_zipped_file_contents(const std::string& path, uint64_t* length, int limit) {
    if (limit <= 0) return nullptr;
    auto* out = static_cast<unsigned char*>(std::calloc(static_cast<size_t>(limit), 1));
    if (!out) return nullptr;
    // Non-blocking, so that a FIFO or a device in place of a map file cannot hang the open; then
    // only a regular file is read.
    FileGuard file{open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY)};
    struct stat st {};
    const bool regular = file.fd >= 0 && fstat(file.fd, &st) == 0 && S_ISREG(st.st_mode);
    off_t size = regular ? lseek(file.fd, 0, SEEK_END) : -1;
    if (size > kCompressedFileGuard) {
        std::printf("%s is %ld bytes, over the %d byte compressed-file guard\n", path.c_str(),
                    static_cast<long>(size), static_cast<int>(kCompressedFileGuard));
    }
    if (size <= 0 || size > kCompressedFileGuard || lseek(file.fd, 0, SEEK_SET) != 0) {
        std::free(out);
        return nullptr;
    }
    auto* in = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(size)));
    off_t have = 0;
    while (in && have < size) {
        ssize_t got = read(file.fd, in + have, static_cast<size_t>(size - have));
        if (got <= 0) break;
        have += got;
    }
    bool ok = false;
    if (in && have == size) {
        z_stream zs{};
        zs.next_in = in;
        zs.avail_in = static_cast<uInt>(size);
        zs.next_out = out;
        zs.avail_out = static_cast<uInt>(limit);
        if (inflateInit(&zs) == Z_OK) {
            ok = inflate(&zs, Z_FINISH) == Z_STREAM_END;
            if (ok) *length = zs.total_out;
            inflateEnd(&zs);
        }
    }
    std::free(in);
    if (!ok) {
        std::free(out);
        return nullptr;
    }
    return out;
}
