// Wall time of "JDBC Ping" against H2 in memory through the window's own handler (log file, child
// JVM running VireloJDBC, report read back), beside a bare JVM running MinimalConnect, which
// connects the same way and writes nothing: the difference is our overhead over the JVM itself.
// Run it through bench/jdbc.sh, which sets CLASSPATH and compiles MinimalConnect.
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

double MedianMs(int runs, const std::function<void()>& once) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        once();
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
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

    window.control<QRadioButton>("optStringURLJDBC")->setChecked(true);
    window.pane("txtConURLJDBC")->setText("jdbc:h2:mem:bench");
    window.control<QComboBox>("cmbDriverClassJDBC")->setEditText("org.h2.Driver");
    window.control<QLineEdit>("txtUserJDBC")->setText("sa");
    window.control<QLineEdit>("txtPassJDBC")->setText("pw");
    auto* ping = window.control<QPushButton>("cmdConnectCompJDBC");
    const double pingMs = MedianMs(10, [&] { ping->click(); });
    if (window.pane("txtMessagesJDBC")->text().find("Connection closed") == std::string::npos) {
        std::fprintf(stderr, "the JDBC ping did not connect:\n%s\n",
                     window.pane("txtMessagesJDBC")->text().c_str());
        return 1;
    }

    const char* bare[] = {"java", "MinimalConnect", "org.h2.Driver", "jdbc:h2:mem:bench", "sa",
                          "pw",   nullptr};
    const double bareMs = MedianMs(10, [&] {
        pid_t pid = 0;
        if (posix_spawnp(&pid, "java", nullptr, nullptr, const_cast<char**>(bare), environ) == 0) {
            int status = 0;
            waitpid(pid, &status, 0);
        }
    });
    std::printf("JDBC Ping, H2 in memory (window)   %8.1f ms\n", pingMs);
    std::printf("bare JVM, MinimalConnect           %8.1f ms\n", bareMs);
    std::printf("overhead over the JVM itself       %8.1f ms\n", pingMs - bareMs);
    return 0;
}
