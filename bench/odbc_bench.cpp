// Wall time of "ODBC Ping" of a SQLite data source through the window's own handler (log file,
// fifteen driver-manager calls, display fields, pane), beside the whole-process time of
// `isql -b` running one statement on the same data source. The handler must not be slower than
// the isql process. Run it through bench/odbc.sh, which defines the data source in private ini
// files and sets a private TEMP.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <cstdio>
#include <string>

#include "BenchSupport.h"

namespace {

constexpr const char* kDataSource = "bench-lite";

// Runs a program with its standard input read from a file and its output discarded; true when it
// ended with exit code 0.
bool RunWithInput(std::vector<const char*> argv, const char* input) {
    argv.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 0, input, O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    int status = -1;
    if (posix_spawnp(&pid, argv[0], &files, nullptr, const_cast<char**>(argv.data()), environ) ==
        0) {
        waitpid(pid, &status, 0);
    }
    posix_spawn_file_actions_destroy(&files);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: odbc_bench <file with one SQL statement for isql>\n");
        return 1;
    }
    QApplication app(argc, argv);
    virelo::bench::BenchWindow bench;
    virelo::ui::frmVIRELO& window = bench.window;

    window.control<QComboBox>("cboODBCSysDSN")->setEditText(kDataSource);
    auto* ping = window.control<QPushButton>("cmdODBCPing");
    const double pingMs = virelo::bench::MedianMs(21, [&] { ping->click(); });
    const std::string& pane = window.pane("txtDiagODBC")->text();
    if (pane.find("ODBC connection closed.") == std::string::npos) {
        std::fprintf(stderr, "the ODBC ping did not succeed:\n%s\n", pane.c_str());
        return 1;
    }

    bool isqlOk = true;
    const double isqlMs = virelo::bench::MedianMs(21, [&] {
        isqlOk = RunWithInput({"isql", "-b", kDataSource}, argv[1]) && isqlOk;
    });
    if (!isqlOk) {
        std::fprintf(stderr, "isql -b %s failed\n", kDataSource);
        return 1;
    }

    std::printf("ODBC Ping of a SQLite DSN (window handler)  %8.2f ms\n", pingMs);
    std::printf("isql -b, one statement (whole process)      %8.2f ms\n", isqlMs);
    if (pingMs > isqlMs) {
        std::printf("the handler is slower than the isql process\n");
        return 2;
    }
    std::printf("the handler takes %.0f %% of the isql process's time\n", 100.0 * pingMs / isqlMs);
    return 0;
}
