// quorvel: the command-line tool over libquorvel; picks the subcommand and hands it its arguments.
#include <cstring>

#include "cli.h"

namespace {

const char kHelp[] =
    "usage: quorvel COMMAND [options]\n"
    "The Quadrillo puzzle engine from the command line.\n"
    "\n"
    "commands:\n"
    "  generate    make new puzzles of a difficulty 0..9 on square or jigsaw maps\n"
    "  classify    rate puzzles: difficulty, ladder level, solutions, description\n"
    "  solve       count solutions (0, 1, many) and print a solution\n"
    "  hint        draw the candidates just before a technique is needed\n"
    "  transform   turn or mirror puzzles and rename their digits\n"
    "  bench       a fixed workload: timings per stage and a signature of the results\n"
    "  ocr         read a puzzle, its regions and diagonal marks from a PNG or JPEG picture\n"
    "  harvest     dig random solutions into a puzzle per difficulty bucket; print or store them\n"
    "  album       write an album file of ready solutions, puzzles and games, or list one\n"
    "\n"
    "'quorvel COMMAND --help' describes each one. Exit status: 0 success, 1 failure or bad\n"
    "input data, 2 bad usage.\n";

struct Command {
    const char* name;
    int (*run)(int, char**);
};

constexpr Command kCommands[] = {
    {"generate", cli::cmd_generate}, {"classify", cli::cmd_classify}, {"solve", cli::cmd_solve},
    {"hint", cli::cmd_hint},         {"transform", cli::cmd_transform}, {"bench", cli::cmd_bench},
    {"ocr", cli::cmd_ocr},
    {"harvest", cli::cmd_harvest},
    {"album", cli::cmd_album},
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs(kHelp, stderr);
        return cli::kExitUsage;
    }
    if (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h") || !std::strcmp(argv[1], "help")) {
        std::fputs(kHelp, stdout);
        return cli::kExitOk;
    }
    for (const Command& c : kCommands) {
        if (std::strcmp(argv[1], c.name) != 0) continue;
        cli::g_ctx.command = c.name;
        return c.run(argc - 2, argv + 2);
    }
    cli::complain("unknown command '%s' (see 'quorvel --help')", argv[1]);
    return cli::kExitUsage;
}
