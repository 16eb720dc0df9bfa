// virelo-check as a whole process beside the system's own tools for the same question: a service
// look-up beside `getent services http`, a host check with one echo beside `ping -c1 -W1`.
// Medians of 21 runs each; the goal is to be no slower than those tools.
#include <cstdio>
#include <string>

#include "BenchSupport.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s PATH-TO-virelo-check\n", argv[0]);
        return 64;
    }
    const char* check = argv[1];
    using virelo::bench::MedianMs;
    using virelo::bench::RunProcess;
    const struct {
        const char* what;
        std::vector<const char*> ours, theirs;
    } pairs[] = {
        {"service http", {check, "service", "http"}, {"getent", "services", "http"}},
        {"host 127.0.0.1", {check, "host", "127.0.0.1"}, {"ping", "-c1", "-W1", "127.0.0.1"}},
    };
    for (const auto& pair : pairs) {
        const double ours = MedianMs(21, [&] { RunProcess(pair.ours); });
        const double theirs = MedianMs(21, [&] { RunProcess(pair.theirs); });
        std::printf("%-16s virelo-check %6.2f ms   %-28s %6.2f ms   ratio %.2f (goal at most 1)\n",
                    pair.what, ours, (pair.theirs[0] + std::string(" ") + pair.theirs[1]).c_str(),
                    theirs, ours / theirs);
    }
    return 0;
}
