// Start-up time and memory of the main window, beside a bare Qt window with a five-page tab
// control. Each measurement is one fresh process (memory is per process), so run it through
// bench/startup.sh, which repeats both kinds and prints medians.
//
//   startup_bench virelo|bare   prints: <kind> <milliseconds to first paint> <peak RSS in KiB>
#include <QApplication>
#include <QElapsedTimer>
#include <QTabWidget>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>

#include "platform/posix/SystemPlatform.h"
#include "ui/AppLook.h"
#include "ui/FrmVirelo.h"
#include "ui/QtMessageBoxes.h"
#include "ui/SystemComponents.h"

namespace {

long PeakRssKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    const bool bare = argc > 1 && std::strcmp(argv[1], "bare") == 0;
    QElapsedTimer timer;
    timer.start();
    QApplication app(argc, argv);

    virelo::platform::SystemServices system;
    virelo::ui::QtMessageBoxes boxes;
    virelo::platform::Platform platform{system.sockets,   system.icmp, system.files,   system.clock,
                                        system.processes, boxes,       system.registry};
    virelo::ui::HelpWindows sideWindows(96.0);
    std::unique_ptr<QWidget> window;
    if (bare) {
        window = std::make_unique<QWidget>();
        window->resize(795, 589);
        auto* tabs = new QTabWidget(window.get());
        for (const char* caption : {"TCPIP", "Native Connect", "COM+", "ODBC", "JDBC"}) {
            tabs->addTab(new QWidget, caption);
        }
    } else {
        window = std::make_unique<virelo::ui::frmVIRELO>(
            platform, sideWindows, virelo::ui::SystemComponents(system), 96.0);
    }
    window->show();
    QApplication::processEvents();
    window->grab();  // the first full paint
    std::printf("%s %.1f %ld\n", bare ? "bare" : "virelo", timer.nsecsElapsed() / 1e6,
                PeakRssKiB());
    window.reset();
    return 0;
}
