#include <QApplication>

#include "platform/posix/SystemPlatform.h"
#include "shell/AppLook.h"
#include "shell/FrmVirelo.h"
#include "shell/HelpWindows.h"
#include "shell/QtMessageBoxes.h"

// The main window is the start-up object: building it runs the start-up sequence, and the program
// ends when its last window (main, help or About) has been closed.
int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("VIRELO");
    QApplication::setWindowIcon(virelo::shell::ProgramIcon());

    virelo::platform::SystemServices system;
    virelo::shell::QtMessageBoxes boxes;
    virelo::platform::Platform platform{system.sockets, system.icmp,      system.files,
                                        system.clock,   system.processes, boxes};
    const double dpi = virelo::shell::ScreenDpi();
    virelo::shell::HelpWindows sideWindows(dpi);
    virelo::shell::frmVIRELO window(platform, sideWindows, {}, dpi);
    window.show();
    return QApplication::exec();
}
