// Time of a TCP ping of 127.0.0.1 (look-up, echo, log file and pane, by address so each run
// deletes its log) and of a service look-up, run in-process through the window's own handlers,
// printed beside the whole-process time of `ping -c1 -W1 127.0.0.1` and `getent services http`.
// Run it through bench/tcpip.sh (offscreen, private TEMP).
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

#include "platform/posix/SystemPlatform.h"
#include "shell/FrmVirelo.h"
#include "shell/MessagePane.h"
#include "shell/QtMessageBoxes.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double MedianMs(int runs, const std::function<void()>& once) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        once();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void RunProcess(std::vector<const char*> argv) {
    argv.push_back(nullptr);
    pid_t pid = 0;
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    if (posix_spawnp(&pid, argv[0], &quiet, nullptr, const_cast<char**>(argv.data()), environ) ==
        0) {
        int status = 0;
        waitpid(pid, &status, 0);
    }
    posix_spawn_file_actions_destroy(&quiet);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    virelo::platform::SystemServices system;
    virelo::shell::QtMessageBoxes boxes;
    virelo::platform::Platform platform{system.sockets, system.icmp,      system.files,
                                        system.clock,   system.processes, boxes};
    virelo::shell::HelpWindows sideWindows(96.0);
    virelo::shell::frmVIRELO window(platform, sideWindows, {}, 96.0);

    window.control<QRadioButton>("optHostbyAddr")->setChecked(true);
    window.control<QLineEdit>("txtEnterHostName")->setText("127.0.0.1");
    auto* ping = window.control<QPushButton>("cmdPingTCP");
    const double pingMs = MedianMs(50, [&] { ping->click(); });
    if (window.pane("txtDiagTCP")->text().rfind("[ ip found ] 0", 0) != 0) {
        std::fprintf(stderr, "the echo did not succeed:\n%s\n",
                     window.pane("txtDiagTCP")->text().c_str());
        return 1;
    }

    window.control<QLineEdit>("txtEnterSrvPort")->setText("http");
    auto* retrieve = window.control<QPushButton>("cmdRetrieve");
    const double serviceMs = MedianMs(200, [&] { retrieve->click(); });

    const double pingProcessMs = MedianMs(20, [] {
        RunProcess({"ping", "-c1", "-W1", "127.0.0.1"});
    });
    const double getentMs = MedianMs(50, [] { RunProcess({"getent", "services", "http"}); });

    std::printf(
        "TCP Ping 127.0.0.1 (in-process)       %8.3f ms   ping -c1 -W1 127.0.0.1 %8.3f ms\n",
        pingMs, pingProcessMs);
    std::printf(
        "Retrieve service http (in-process)    %8.3f ms   getent services http   %8.3f ms\n",
        serviceMs, getentMs);
    return 0;
}
