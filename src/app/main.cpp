#include <QApplication>

#include "platform/CoreDumps.h"
#include "ui/AppLook.h"
#include "ui/HelpWindows.h"
#include "ui/QtMessageBoxes.h"
#include "ui/SystemComponents.h"

// The main window is the start-up object: building it runs the start-up sequence, and the program
// ends when its last window (main, help or About) has been closed.
int main(int argc, char* argv[]) {
    // Before any password is typed.
    virelo::platform::ForbidCoreDumps();
    QApplication app(argc, argv);
    QApplication::setApplicationName("VIRELO");
    QApplication::setWindowIcon(virelo::ui::ProgramIcon());

    virelo::platform::SystemServices system;
    virelo::ui::QtMessageBoxes boxes;
    virelo::platform::Platform platform{system.sockets,   system.icmp, system.files,   system.clock,
                                        system.processes, boxes,       system.registry};
    const double dpi = virelo::ui::ScreenDpi();
    virelo::ui::HelpWindows sideWindows(dpi);
    virelo::ui::frmVIRELO window(platform, sideWindows, virelo::ui::SystemComponents(system), dpi);
    window.show();
    return QApplication::exec();
}
