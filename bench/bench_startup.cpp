// Start-up time of the desktop program: from process start to its window being mapped on the X
// server, over repeated starts. Run it under a (virtual) X server: xvfb-run bench_startup.
#include <CLI/CLI.hpp>

#include <X11/Xlib.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

double now_ms() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Starts the program and waits for the first top-level window it maps; milliseconds, or -1.
double one_start(Display* dpy, const std::string& program, const std::string& data_home) {
    Window root = DefaultRootWindow(dpy);
    XSelectInput(dpy, root, SubstructureNotifyMask);
    XSync(dpy, True);
    const double t0 = now_ms();
    const pid_t pid = fork();
    if (pid == 0) {
        setenv("XDG_DATA_HOME", data_home.c_str(), 1);
        setenv("NO_AT_BRIDGE", "1", 1);
        execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    double t1 = -1;
    const int fd = ConnectionNumber(dpy);
    while (t1 < 0 && now_ms() - t0 < 20000) {
        while (XPending(dpy)) {
            XEvent ev;
            XNextEvent(dpy, &ev);
            if (ev.type == MapNotify && ev.xmap.event == root) {
                t1 = now_ms();
                break;
            }
        }
        if (t1 >= 0) break;
        fd_set set;
        FD_ZERO(&set);
        FD_SET(fd, &set);
        timeval tv{0, 20000};
        select(fd + 1, &set, nullptr, nullptr, &tv);
        int status;
        if (waitpid(pid, &status, WNOHANG) == pid) break;
    }
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    XSelectInput(dpy, root, NoEventMask);
    return t1 < 0 ? -1 : t1 - t0;
}

double percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<size_t>(p * (v.size() - 1) + 0.5))];
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 20;
    std::string program;
    CLI::App app{"Milliseconds from the desktop program's start to its window being mapped."};
    app.add_option("n", runs, "later starts")->capture_default_str()->check(CLI::PositiveNumber);
    app.add_option("program", program, "the program (default: quadrillo beside this one)");
    CLI11_PARSE(app, argc, argv);
    if (program.empty()) {
        char self[4096];
        const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
        self[n > 0 ? n : 0] = 0;
        std::string dir(self);
        dir = dir.substr(0, dir.rfind('/'));
        program = dir + "/../bin/quadrillo";
    }
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) {
        std::fprintf(stderr, "bench_startup: no X display; run it under xvfb-run\n");
        return 1;
    }
    char tmpl[] = "/tmp/quadrillo-bench-XXXXXX";
    const std::string home = mkdtemp(tmpl);
    // The first start seeds the stock from the starter album and writes the first save.
    const double cold = one_start(dpy, program, home);
    std::vector<double> warm;
    int failed = 0;
    for (int i = 0; i < runs; ++i) {
        const double ms = one_start(dpy, program, home);
        if (ms < 0)
            ++failed;
        else
            warm.push_back(ms);
    }
    std::printf("bench_startup: %s, process start to window mapped\n", program.c_str());
    std::printf("  first start (seeds the stock): %.1f ms\n", cold);
    if (!warm.empty())
        std::printf("  later starts: %zu runs, median %.1f ms, min %.1f ms, 90th pct %.1f ms, max %.1f ms\n",
                    warm.size(), percentile(warm, 0.5), percentile(warm, 0.0), percentile(warm, 0.9),
                    percentile(warm, 1.0));
    std::printf("  failed starts: %d (goal: median under 300 ms)\n", failed);
    std::system(("rm -rf " + home).c_str());
    XCloseDisplay(dpy);
    return failed ? 1 : 0;
}
