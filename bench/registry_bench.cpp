// GetSqlhostsServers over 5,000 servers from a generated UTF-16 registry export: cold (a new
// registry view reads and parses the file) and warm (the view finds the file unchanged), each the
// median of several runs, and the origin ("file:line") of every server, as a listing asks for
// them, printed beside the goals. Every registry source points into a private
// directory, so the workstation's own files play no part.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "MedianTime.h"
#include "platform/posix/registry/PosixRegistry.h"
#include "serverdir/RegAccess.h"

namespace {

constexpr int kServers = 5000;
constexpr double kColdGoalMs = 200.0;
constexpr double kWarmGoalMs = 20.0;
constexpr double kOriginsGoalMs = 50.0;

// The export a Windows registry editor writes: UTF-16LE with its byte-order mark, CR LF.
std::string Utf16Export(int servers) {
    std::string text = "Windows Registry Editor Version 5.00\r\n\r\n";
    for (int i = 0; i < servers; ++i) {
        const std::string n = std::to_string(i);
        text += "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Nembrion\\SQLHOSTS\\ol_server" + n +
                "]\r\n\"HOST\"=\"db" + n + ".example.net\"\r\n\"SERVICE\"=\"" +
                std::to_string(9000 + i % 1000) +
                "\"\r\n\"PROTOCOL\"=\"kasoctcp\"\r\n\"OPTIONS\"=\"b=32767\"\r\n\r\n";
    }
    std::string bytes = "\xFF\xFE";
    for (const char c : text) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

}  // namespace

int main() {
    char pattern[] = "/tmp/virelo-registry-bench-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string dir = pattern;
    const std::string file = dir + "/servers.reg";
    std::ofstream(file, std::ios::binary) << Utf16Export(kServers);
    setenv("VIRELO_REGISTRY", file.c_str(), 1);
    setenv("VIRELO_SQLHOSTS", (dir + "/sqlhosts").c_str(), 1);
    std::ofstream(dir + "/sqlhosts") << "";
    setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
    setenv("ODBCSYSINI", dir.c_str(), 1);
    setenv("ODBCINI", (dir + "/odbc.ini").c_str(), 1);

    int columns = 0;
    const auto check = [&](const virelo::serverdir::ServerTable& table) {
        columns = table.UpperBound();
    };
    const double coldMs = virelo::bench::MedianMs(9, [&] {
        virelo::platform::posix::PosixRegistry view({dir});
        virelo::serverdir::RegAccess access(view);
        check(access.GetSqlhostsServers());
    });
    virelo::platform::posix::PosixRegistry view({dir});
    virelo::serverdir::RegAccess access(view);
    check(access.GetSqlhostsServers());
    const double warmMs = virelo::bench::MedianMs(25, [&] { check(access.GetSqlhostsServers()); });
    bool originsFound = true;
    const double originsMs = virelo::bench::MedianMs(9, [&] {
        for (int i = 0; i < kServers; ++i) {
            originsFound = originsFound && !view.origin(virelo::platform::reg::kLocalMachine,
                                                        "SOFTWARE\\Nembrion\\SQLHOSTS\\ol_server" +
                                                            std::to_string(i))
                                                .empty();
        }
    });
    std::filesystem::remove_all(dir);

    if (columns != kServers || !originsFound) {
        std::fprintf(stderr, "expected %d servers, the table has %d columns before its last\n",
                     kServers, columns);
        return 1;
    }
    std::printf("GetSqlhostsServers, %d servers from a UTF-16 export (%.1f MB)\n", kServers,
                static_cast<double>(Utf16Export(kServers).size()) / (1 << 20));
    std::printf("  cold (first read)  %8.2f ms   goal under %5.0f ms   %s\n", coldMs, kColdGoalMs,
                coldMs < kColdGoalMs ? "met" : "MISSED");
    std::printf("  warm (cached)      %8.2f ms   goal under %5.0f ms   %s\n", warmMs, kWarmGoalMs,
                warmMs < kWarmGoalMs ? "met" : "MISSED");
    std::printf("  every origin       %8.2f ms   goal under %5.0f ms   %s\n", originsMs,
                kOriginsGoalMs, originsMs < kOriginsGoalMs ? "met" : "MISSED");
#ifndef NDEBUG
    std::printf("  (an unoptimised build: the goals are for -DCMAKE_BUILD_TYPE=Release)\n");
#endif
    return 0;
}
