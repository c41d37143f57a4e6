// A command's options read with CLI11, reported in the tool's own words.
#include <CLI/CLI.hpp>

#include <cstring>

#include "cli.h"

namespace cli {

namespace {

// Ends the reading of the arguments with an exit status (after help or a reported bad value).
struct Stop {
    int status;
};

}  // namespace

struct Options::Parser {
    CLI::App app;
    bool has_positionals = false;
};

Options::Options(const char* help, const char* more) : p_(std::make_unique<Parser>()) {
    p_->app.set_help_flag();
    p_->app.allow_extras();
    p_->app.add_flag_callback("-h,--help", [help, more] {
        std::fputs(help, stdout);
        if (more) std::fputs(more, stdout);
        throw Stop{kExitOk};
    })->trigger_on_parse();
}

Options::~Options() = default;

void Options::value(const char* names, std::function<bool(const std::string&)> take) {
    p_->app.add_option_function<std::string>(names, [take](const std::string& v) {
        if (!take(v)) throw Stop{kExitUsage};
    })->trigger_on_parse();
}

void Options::number(const char* names, const char* option, long long lo, long long hi, long long& out) {
    value(names, [option, lo, hi, &out](const std::string& v) { return parse_long(option, v.c_str(), lo, hi, out); });
}

void Options::flag(const char* names, std::function<void()> on) {
    p_->app.add_flag_callback(names, std::move(on))->trigger_on_parse()->disable_flag_override();
}

void Options::flag(const char* names, bool& out) {
    flag(names, [&out] { out = true; });
}

void Options::positionals(std::vector<std::string>& out) {
    p_->app.add_option("files", out);
    p_->has_positionals = true;
}

int Options::parse(int argc, char** argv) {
    std::vector<std::string> args;  // CLI11 takes them last first
    for (int i = argc - 1; i >= 0; --i) args.emplace_back(argv[i]);
    try {
        p_->app.parse(args);
    } catch (const Stop& stop) {
        return stop.status;
    } catch (const CLI::ArgumentMismatch& e) {
        // A flag given a value ("--json=1") is no option of the tool.
        for (int i = 0; i < argc; ++i) {
            const char* eq = std::strchr(argv[i], '=');
            if (!eq || argv[i][0] != '-') continue;
            const CLI::Option* o = p_->app.get_option_no_throw(std::string(argv[i], static_cast<size_t>(eq - argv[i])));
            if (o && o->get_expected_max() == 0) {
                complain("unknown option '%s' (see --help)", argv[i]);
                return kExitUsage;
            }
        }
        // Otherwise an option at the end with no value: named as it was typed.
        const std::string name = argc > 0 ? argv[argc - 1] : e.get_name();
        complain("option %s needs a value", name.c_str());
        return kExitUsage;
    } catch (const CLI::ParseError& e) {
        complain("%s (see --help)", e.what());
        return kExitUsage;
    }
    for (const std::string& extra : p_->app.remaining()) {
        if (extra.size() > 1 && extra[0] == '-')
            complain("unknown option '%s' (see --help)", extra.c_str());
        else
            complain("unexpected argument '%s' (see --help)", extra.c_str());
        return kExitUsage;
    }
    return -1;
}

}  // namespace cli
