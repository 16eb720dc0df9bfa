#pragma once

#include "platform/posix/PosixClock.h"
#include "platform/posix/PosixFiles.h"
#include "platform/posix/PosixIcmp.h"
#include "platform/posix/PosixNetwork.h"
#include "platform/posix/PosixProcesses.h"
#include "platform/posix/registry/PosixRegistry.h"
#include "platform/posix/PosixSockets.h"

namespace virelo::platform {

// The workstation's own services, as the program uses them outside tests.
struct SystemServices {
    posix::PosixSockets sockets;
    posix::PosixIcmp icmp;
    posix::PosixFiles files;
    posix::PosixClock clock;
    posix::PosixProcesses processes;
    posix::PosixNetwork network;
    // The registry view over export files, the text server directory and unixODBC.
    posix::PosixRegistry registry;
};

}  // namespace virelo::platform
