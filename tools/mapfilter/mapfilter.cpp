// mapfilter: keeps the map records on which the engine's own solution search starts reliably fast.
//
// On some jigsaw maps the engine's solution search is heavy-tailed in some orientation or
// adjacency. A record is kept only when, in every orientation the engine may
// give it and with regular and x adjacency alike, each of `runs` seeded first starts finishes
// within the step budget. Usage: mapfilter <in-dir> <out-dir> [runs] [steps]
#include <CLI/CLI.hpp>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <zlib.h>

#include "maps/GroupMap.h"
#include "maps/zipinput.h"
#include "util/rand_utils.h"

namespace {

// One first start of the engine's search, as solution construction makes it.
bool first_start_fills(const Matrix<int, 9>& m, bool x, int steps) {
    Puzzle* p = static_cast<Puzzle*>(std::calloc(1, sizeof(Puzzle)));
    p->adjacency = x ? ADJ_X : ADJ_REGULAR;
    p->setup(m);
    p->define_are_neighbors_array();
    p->setup_ptrs_first_in_dims();
    p->order_groups_by_restriction();
    p->initialize_ordered_ptrs();
    p->compare_to_first_group();
    p->sort_ordered_ptrs();
    p->initialize_first_group();
    bool ok = false;
    if (p->initialize_rest_of_array()) {
        std::vector<unsigned> save(72 * 72);
        p->fill_budget = steps;
        ok = p->groups_are_boxes() ? p->recursively_fill_cells(&p->ordered_cells[9], save.data())
                                   : p->fill_tightest_first(save.data());
    }
    std::free(p->are_neighbors_array);
    std::free(p);
    return ok;
}

bool keep(const GroupMap& stored, int runs, int steps) {
    GroupMap g = stored;
    const int first_unset = g.unpackRecord();
    const bool rot = g.symmetry == SYM_ROTATION;
    if (rot)
        g.completeRotationalMap(first_unset);
    else
        g.completeMirrorMap(first_unset);
    for (int t = 0; t < (rot ? 4 : 2); ++t) {
        GroupMap o = g;
        if (rot)
            o.orientRotationalMap(t);
        else
            o.orientMirrorMap(t);
        o.finishNumbering();
        if (!o.isNineGroupsOfNine()) return false;
        for (bool x : {false, true})
            for (int r = 0; r < runs; ++r)
                if (!first_start_fills(o.groupMatrix, x, steps)) return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::string in_dir, out_dir;
    int runs = 6, steps = 20000;
    CLI::App app{"Keeps the map records on which the engine's own solution search is reliably fast."};
    app.add_option("in-dir", in_dir)->required();
    app.add_option("out-dir", out_dir)->required();
    app.add_option("runs", runs, "first-start fills per record and adjacency")->capture_default_str();
    app.add_option("steps", steps, "step bound of each fill")->capture_default_str();
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::fputs(app.help().c_str(), stdout);
        return 0;
    } catch (const CLI::ParseError&) {
        std::fprintf(stderr, "usage: mapfilter <in-dir> <out-dir> [runs] [steps]\n");
        return 2;
    }
    rand_seed_thread(0x6d617066696c74ULL);  // the same records are kept on every run
    int status = 0;
    for (const char* name : jigsawGroupMapFilenames) {
        const std::string in = in_dir + "/" + name + ".z";
        uint64_t length = 0;
        unsigned char* content = get_zipped_file_contents(in, &length, kGroupMapFileLimit);
        GroupMap header{};
        if (!content || length < kGroupMapHeaderBytes || !header.parseHeader(content) || header.compressize < 1 ||
            header.compressize > kMaxRecordBytes ||
            kGroupMapHeaderBytes + static_cast<uint64_t>(header.nMaps) * header.compressize > length) {
            std::fprintf(stderr, "mapfilter: cannot read %s\n", in.c_str());
            std::free(content);
            status = 1;
            continue;
        }
        std::vector<unsigned char> kept;
        int n_kept = 0;
        for (int k = 0; k < header.nMaps; ++k) {
            GroupMap g = header;
            const unsigned char* rec = content + kGroupMapHeaderBytes + static_cast<size_t>(k) * header.compressize;
            std::memcpy(g.compressedMap, rec, header.compressize);
            if (!keep(g, runs, steps)) continue;
            kept.insert(kept.end(), rec, rec + header.compressize);
            ++n_kept;
        }
        std::vector<unsigned char> raw(content, content + kGroupMapHeaderBytes);
        char count[11];
        std::snprintf(count, sizeof count, "%10d", n_kept);
        std::memcpy(raw.data() + 13, count, 10);
        raw.insert(raw.end(), kept.begin(), kept.end());
        std::free(content);
        uLongf size = compressBound(raw.size());
        std::vector<unsigned char> packed(size);
        compress2(packed.data(), &size, raw.data(), raw.size(), 9);
        const std::string out = out_dir + "/" + name + ".z";
        FILE* f = std::fopen(out.c_str(), "wb");
        if (!f || std::fwrite(packed.data(), 1, size, f) != size) status = 1;
        if (f) std::fclose(f);
        std::printf("%-11s kept %4d of %4d\n", name, n_kept, header.nMaps);
        std::fflush(stdout);
    }
    return status;
}
