// Start-up time and memory of the main window, beside two anchors: a bare Qt window with a
// five-page tab control, and the same controls as the main window (every row of the layout table,
// same sizes, texts and fixed properties) built from a Designer form compiled by uic, the way a
// Qt developer would build the window. Each measurement is one fresh process (memory is per
// process), so run it through bench/startup.sh, which repeats every kind and prints medians.
//
//   startup_bench virelo|form|bare   prints: <kind> <milliseconds to first paint> <peak RSS KiB>
//
// The peak memory is taken once the window has done what it leaves until after its first paint.
#include <QApplication>
#include <QElapsedTimer>
#include <QTabWidget>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "platform/posix/SystemPlatform.h"
#include "ui/AppLook.h"
#include "ui/FrmVirelo.h"
#include "ui/QtMessageBoxes.h"
#include "ui/SystemComponents.h"
#include "ui_VireloForm.h"

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

// The window of one kind, shown; `services` keeps what the main window needs alive.
std::unique_ptr<QWidget> MakeWindow(const std::string& kind, std::shared_ptr<void>& services) {
    if (kind == "bare") {
        auto window = std::make_unique<QWidget>();
        window->resize(795, 589);
        auto* tabs = new QTabWidget(window.get());
        for (const char* caption : {"TCPIP", "Native Connect", "COM+", "ODBC", "JDBC"}) {
            tabs->addTab(new QWidget, caption);
        }
        return window;
    }
    if (kind == "form") {
        auto window = std::make_unique<QWidget>();
        window->setFont(virelo::ui::ProgramFont());  // Designer writes whole point sizes only
        auto form = std::make_shared<Ui::VireloForm>();
        form->setupUi(window.get());
        services = form;
        return window;
    }
    // As the program's main() starts it.
    struct Services {
        virelo::platform::SystemServices system;
        virelo::ui::QtMessageBoxes boxes;
        virelo::platform::Platform platform{system.sockets, system.icmp,      system.files,
                                            system.clock,   system.processes, boxes,
                                            system.registry};
        virelo::ui::HelpWindows sideWindows{virelo::ui::ScreenDpi()};
    };
    auto held = std::make_shared<Services>();
    services = held;
    QApplication::setApplicationName("VIRELO");
    QApplication::setWindowIcon(virelo::ui::ProgramIcon());
    return std::make_unique<virelo::ui::frmVIRELO>(held->platform, held->sideWindows,
                                                   virelo::ui::SystemComponents(held->system),
                                                   virelo::ui::ScreenDpi());
}

}  // namespace

int main(int argc, char** argv) {
    const std::string kind = argc > 1 ? argv[1] : "virelo";
    QElapsedTimer timer;
    timer.start();
    QApplication app(argc, argv);
    std::shared_ptr<void> services;
    std::unique_ptr<QWidget> window = MakeWindow(kind, services);
    window->show();
    QApplication::processEvents();
    window->grab();  // the first full paint
    const double ms = timer.nsecsElapsed() / 1e6;
    // The memory counts what the window does after its first paint, before the user can act.
    QApplication::processEvents();
    std::printf("%s %.1f %ld\n", kind.c_str(), ms, PeakRssKiB());
    window.reset();
    return 0;
}
