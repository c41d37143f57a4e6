// The saved game's byte format, and writing files so that a crash never leaves half of one.
#include "save_file.h"
#include "translate.h"

#include <fcntl.h>
#include <unistd.h>
#include <zlib.h>

#include <cerrno>
#include <cstdio>
#include <ctime>

namespace game {

namespace {

constexpr char kMagic[8] = {'Q', 'D', 'R', 'L', 'S', 'A', 'V', 'E'};
constexpr uint32_t kVersion = 1;
constexpr size_t kMaxMoves = 1u << 20;

// Little-endian writer and bounded reader.
struct Out {
    std::vector<unsigned char>& b;
    void u8(unsigned v) { b.push_back(static_cast<unsigned char>(v)); }
    void u16(unsigned v) { u8(v & 0xff), u8((v >> 8) & 0xff); }
    void u32(uint32_t v) { u16(v & 0xffff), u16(v >> 16); }
    void u64(uint64_t v) { u32(static_cast<uint32_t>(v)), u32(static_cast<uint32_t>(v >> 32)); }
    void state(const CellState& s) { u8(s.answer), u8(s.small), u16(s.marks); }
};

struct In {
    const unsigned char* p;
    size_t n, at = 0;
    bool ok = true;
    unsigned u8() {
        if (at >= n) {
            ok = false;
            return 0;
        }
        return p[at++];
    }
    unsigned u16() {
        const unsigned lo = u8();
        return lo | (u8() << 8);
    }
    uint32_t u32() {
        const uint32_t lo = u16();
        return lo | (static_cast<uint32_t>(u16()) << 16);
    }
    uint64_t u64() {
        const uint64_t lo = u32();
        return lo | (static_cast<uint64_t>(u32()) << 32);
    }
    CellState state() {
        CellState s;
        s.answer = static_cast<uint8_t>(u8());
        s.small = static_cast<uint8_t>(u8());
        s.marks = static_cast<uint16_t>(u16());
        return s;
    }
};

}  // namespace

SavedGame saved_from(const Game& game) {
    SavedGame s;
    s.position = game.record();
    s.history = game.history();
    s.cursor = game.position();
    s.auto_candidates = game.auto_candidates();
    s.finished = game.finished;
    s.elapsed_ms = game.elapsed_ms();
    s.hints = game.hints;
    s.mistakes = game.mistakes;
    return s;
}

std::vector<unsigned char> encode_save(const SavedGame& save) {
    std::vector<unsigned char> b(save.position.bytes, save.position.bytes + kRecordBytes);
    b.insert(b.end(), kMagic, kMagic + sizeof kMagic);
    Out o{b};
    o.u32(kVersion);
    o.u32((save.auto_candidates ? 1u : 0u) | (save.finished ? 2u : 0u));
    o.u64(static_cast<uint64_t>(save.elapsed_ms));
    o.u32(static_cast<uint32_t>(save.hints));
    o.u32(static_cast<uint32_t>(save.mistakes));
    o.u32(static_cast<uint32_t>(save.cursor));
    o.u32(static_cast<uint32_t>(save.history.size()));
    for (const Move& m : save.history) {
        o.u8((m.auto_before ? 1u : 0u) | (m.auto_after ? 2u : 0u));
        o.u8(static_cast<unsigned>(m.changes.size()));
        for (const CellChange& c : m.changes) {
            o.u8(c.cell);
            o.state(c.before);
            o.state(c.after);
        }
    }
    o.u32(static_cast<uint32_t>(crc32(0L, b.data(), static_cast<uInt>(b.size()))));
    return b;
}

bool decode_save(const unsigned char* data, size_t n, SavedGame& out, std::string& why) {
    if (n < kRecordBytes + sizeof kMagic + 4 || std::memcmp(data + kRecordBytes, kMagic, sizeof kMagic) != 0) {
        why = _("it is not a saved game of this program");
        return false;
    }
    const uint32_t stored = static_cast<uint32_t>(data[n - 4]) | (static_cast<uint32_t>(data[n - 3]) << 8) |
                            (static_cast<uint32_t>(data[n - 2]) << 16) | (static_cast<uint32_t>(data[n - 1]) << 24);
    if (stored != static_cast<uint32_t>(crc32(0L, data, static_cast<uInt>(n - 4)))) {
        why = _("the file is damaged (its checksum does not match)");
        return false;
    }
    In in{data, n - 4, kRecordBytes + sizeof kMagic};
    if (in.u32() != kVersion) {
        why = _("it was saved by a newer version of the game");
        return false;
    }
    SavedGame s;
    std::memcpy(s.position.bytes, data, kRecordBytes);
    const uint32_t flags = in.u32();
    s.auto_candidates = flags & 1u;
    s.finished = flags & 2u;
    s.elapsed_ms = static_cast<int64_t>(in.u64());
    s.hints = static_cast<int32_t>(in.u32());
    s.mistakes = static_cast<int32_t>(in.u32());
    s.cursor = in.u32();
    const uint32_t moves = in.u32();
    if (!in.ok || moves > kMaxMoves || s.cursor > moves || s.elapsed_ms < 0) {
        why = _("the file is damaged (impossible counts)");
        return false;
    }
    for (uint32_t k = 0; k < moves && in.ok; ++k) {
        Move m;
        const unsigned f = in.u8();
        m.auto_before = f & 1u;
        m.auto_after = f & 2u;
        const unsigned changes = in.u8();
        for (unsigned c = 0; c < changes && in.ok; ++c) {
            CellChange ch;
            ch.cell = static_cast<uint8_t>(in.u8());
            ch.before = in.state();
            ch.after = in.state();
            if (ch.cell >= 81) in.ok = false;
            m.changes.push_back(ch);
        }
        s.history.push_back(std::move(m));
    }
    if (!in.ok || in.at != in.n) {
        why = _("the file is damaged (its moves do not add up)");
        return false;
    }
    out = std::move(s);
    return true;
}

bool write_atomically(const std::string& path, const std::vector<unsigned char>& bytes, std::string& why) {
    const std::string tmp = path + ".tmp";
    const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        why = tmp + ": " + std::strerror(errno);
        return false;
    }
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t w = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) break;
        done += static_cast<size_t>(w);
    }
    bool ok = done == bytes.size() && ::fdatasync(fd) == 0;
    int saved_errno = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        saved_errno = errno;
    }
    if (!ok || ::rename(tmp.c_str(), path.c_str()) != 0) {
        why = path + ": " + std::strerror(ok ? errno : (saved_errno ? saved_errno : EIO));
        ::unlink(tmp.c_str());
        return false;
    }
    // The rename itself must reach the disk too, or a power cut could bring the old file back.
    const size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string(".") : path.substr(0, slash ? slash : 1);
    const int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return true;
}

bool read_file(const std::string& path, size_t limit, std::vector<unsigned char>& out, std::string& why) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        why = path + ": " + std::strerror(errno);
        return false;
    }
    out.clear();
    unsigned char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
        if (out.size() + n > limit) {
            std::fclose(f);
            why = path + ": the file is too large";
            return false;
        }
        out.insert(out.end(), buf, buf + n);
    }
    const bool failed = std::ferror(f);
    std::fclose(f);
    if (failed) why = path + ": read error";
    return !failed;
}

std::string set_aside(const std::string& path) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, ".damaged-%lld", static_cast<long long>(std::time(nullptr)));
    const std::string target = path + stamp;
    return ::rename(path.c_str(), target.c_str()) == 0 ? target : std::string();
}

}  // namespace game
