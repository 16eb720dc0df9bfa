#include <QApplication>
#include <cstdio>
#include <cstring>

#include "platform/CoreDumps.h"
#include "ui/AppLook.h"
#include "ui/HelpWindows.h"
#include "ui/QtMessageBoxes.h"
#include "ui/SystemComponents.h"

namespace {

constexpr const char* kUsage =
    "Usage: virelo [--component-host [USER@]HOST] [--help] [--version] [Qt options]\n"
    "\n"
    "Opens the Virelo window, whose five tabs check, layer by layer, why this\n"
    "workstation cannot reach a database server: TCP/IP, Native Connect, COM+,\n"
    "ODBC and JDBC. The window needs a display; virelo-check runs the same checks\n"
    "from a terminal (see virelo-check --help and man virelo-check).\n"
    "\n"
    "  --component-host [USER@]HOST\n"
    "                 run the COM+ tab's connection tester on that machine, reached\n"
    "                 with ssh (key-based login; see man virelo)\n"
    "  -h, --help     show this text and exit\n"
    "  -V, --version  show the version and exit\n";

// --help and --version are answered before the toolkit starts, so they work without a display.
// Returns the exit code, or -1 when the window is to open.
int AnswerWithoutWindow(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        const bool help = std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0;
        if (help || std::strcmp(argv[i], "--version") == 0 || std::strcmp(argv[i], "-V") == 0) {
            const int written =
                help ? std::fputs(kUsage, stdout) : std::printf("virelo %s\n", VIRELO_VERSION);
            return written < 0 || std::fflush(stdout) != 0 ? 74 : 0;
        }
    }
    return -1;
}

}  // namespace

// The main window is the start-up object: building it runs the start-up sequence, and the program
// ends when its last window (main, help or About) has been closed.
int main(int argc, char* argv[]) {
    // Before any password is typed.
    virelo::platform::ForbidCoreDumps();
    if (const int answered = AnswerWithoutWindow(argc, argv); answered >= 0) {
        return answered;
    }
    std::string optionError;
    const auto componentHost = virelo::complus::ComponentHostArgument(
        std::vector<std::string>(argv + 1, argv + argc), optionError);
    if (!optionError.empty()) {
        std::fprintf(stderr, "virelo: %s\n", optionError.c_str());
        return 64;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName("VIRELO");
    QApplication::setWindowIcon(virelo::ui::ProgramIcon());

    virelo::platform::SystemServices system;
    virelo::ui::QtMessageBoxes boxes;
    virelo::platform::Platform platform{system.sockets,   system.icmp, system.files,   system.clock,
                                        system.processes, boxes,       system.registry};
    const double dpi = virelo::ui::ScreenDpi();
    virelo::ui::HelpWindows sideWindows(dpi);
    virelo::ui::frmVIRELO window(platform, sideWindows,
                                 virelo::ui::SystemComponents(system, componentHost), dpi);
    window.show();
    return QApplication::exec();
}
