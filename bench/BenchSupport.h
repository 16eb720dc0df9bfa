#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <vector>

#include "MedianTime.h"
#include "platform/posix/SystemPlatform.h"
#include "ui/FrmVirelo.h"
#include "ui/MessagePane.h"
#include "ui/QtMessageBoxes.h"
#include "ui/SystemComponents.h"

extern char** environ;

namespace virelo::bench {

// Starts a program with its standard output discarded and waits for it.
inline void RunProcess(std::vector<const char*> argv) {
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

// The main window over the workstation's real services, as the program runs it.
struct BenchWindow {
    platform::SystemServices system;
    ui::QtMessageBoxes boxes;
    platform::Platform platform{system.sockets,   system.icmp, system.files,   system.clock,
                                system.processes, boxes,       system.registry};
    ui::HelpWindows sideWindows{96.0};
    ui::frmVIRELO window{platform, sideWindows, ui::SystemComponents(system), 96.0};

    BenchWindow() { window.FinishStartup(); }  // as once the window has been painted
};

}  // namespace virelo::bench
